#pragma once
// Owning references to GStreamer objects: one template, one traits entry per type. The
// constructor says whether the pointer's reference is adopted or a new one is taken.

#include <gst/gst.h>

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

}  // namespace mci
