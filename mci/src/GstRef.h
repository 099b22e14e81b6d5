#pragma once
// Owning references to GStreamer objects: one template, one traits entry per type. The
// constructor says whether the pointer's reference is adopted or a new one is taken.

#include <gst/gst.h>

#include <memory>
#include <utility>

namespace mci {

template <typename T>
struct GstRefTraits {  // GstObject and its subclasses
    static void ref(T* p) { gst_object_ref(p); }
    static void unref(T* p) { gst_object_unref(p); }
};
template <typename T>
struct MiniRefTraits {
    static void ref(T* p) { gst_mini_object_ref(GST_MINI_OBJECT_CAST(p)); }
    static void unref(T* p) { gst_mini_object_unref(GST_MINI_OBJECT_CAST(p)); }
};
template <>
struct GstRefTraits<GstCaps> : MiniRefTraits<GstCaps> {};
template <>
struct GstRefTraits<GstSample> : MiniRefTraits<GstSample> {};
template <>
struct GstRefTraits<GstBuffer> : MiniRefTraits<GstBuffer> {};
template <>
struct GstRefTraits<GstMessage> : MiniRefTraits<GstMessage> {};
template <>
struct GstRefTraits<GstEvent> : MiniRefTraits<GstEvent> {};

enum class RefMode { Adopt, AddRef };

template <typename T>
class GstRef {
  public:
    GstRef() = default;
    GstRef(T* p, RefMode mode) : p_(p) {
        if (p_ && mode == RefMode::AddRef) GstRefTraits<T>::ref(p_);
    }
    GstRef(const GstRef& o) : GstRef(o.p_, RefMode::AddRef) {}
    GstRef(GstRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    GstRef& operator=(GstRef o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~GstRef() {
        if (p_) GstRefTraits<T>::unref(p_);
    }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() { GstRef().swapWith(*this); }

  private:
    void swapWith(GstRef& o) noexcept { std::swap(p_, o.p_); }
    T* p_ = nullptr;
};

template <typename T>
GstRef<T> adopt(T* p) {
    return GstRef<T>(p, RefMode::Adopt);
}

// Adopts a floating element from a factory: sinks the floating reference so we own one.
inline GstRef<GstElement> makeElement(const char* factory, const char* name = nullptr) {
    GstElement* e = gst_element_factory_make(factory, name);
    if (e) gst_object_ref_sink(e);
    return adopt(e);
}

// Owns a g_malloc'd string.
class GChars {
  public:
    explicit GChars(gchar* s) : s_(s) {}
    GChars(const GChars&) = delete;
    GChars& operator=(const GChars&) = delete;
    ~GChars() { g_free(s_); }
    const gchar* get() const { return s_ ? s_ : ""; }

  private:
    gchar* s_;
};

struct GErrorFree {
    void operator()(GError* e) const { g_error_free(e); }
};
// Owns a GError: pass out() where a GError** is asked for.
class GErrorRef {
  public:
    GError** out() {
        p_.reset();
        return &raw_;
    }
    GError* get() {
        if (raw_) p_.reset(std::exchange(raw_, nullptr));
        return p_.get();
    }
    explicit operator bool() { return get() != nullptr; }

  private:
    GError* raw_ = nullptr;
    std::unique_ptr<GError, GErrorFree> p_;
};

struct GstIteratorFree {
    void operator()(GstIterator* it) const { gst_iterator_free(it); }
};
using GstIteratorRef = std::unique_ptr<GstIterator, GstIteratorFree>;

// A signal handler connected for as long as this object lives; it keeps its instance alive.
class SignalConnection {
  public:
    SignalConnection() = default;
    SignalConnection(gpointer instance, const char* signal, GCallback handler, gpointer data)
        : instance_(G_OBJECT(g_object_ref(instance))),
          id_(g_signal_connect(instance, signal, handler, data)) {}
    SignalConnection(SignalConnection&& o) noexcept
        : instance_(std::exchange(o.instance_, nullptr)), id_(std::exchange(o.id_, 0)) {}
    SignalConnection& operator=(SignalConnection&& o) noexcept {
        if (this != &o) {
            disconnect();
            instance_ = std::exchange(o.instance_, nullptr);
            id_ = std::exchange(o.id_, 0);
        }
        return *this;
    }
    ~SignalConnection() { disconnect(); }
    void disconnect() {
        if (instance_ && id_) g_signal_handler_disconnect(instance_, id_);
        if (instance_) g_object_unref(instance_);
        instance_ = nullptr;
        id_ = 0;
    }

  private:
    GObject* instance_ = nullptr;
    gulong id_ = 0;
};

}  // namespace mci
