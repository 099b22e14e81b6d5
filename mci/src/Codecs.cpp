#include "Codecs.h"

#include <gst/gst.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <fstream>
#include <mutex>

#include "GstRef.h"

namespace mci {
namespace {

constexpr const char* kPluginFile = "libgstpeltocodecs.so";

// Plain PCM and MIDI need no codec library; everything else most likely does.
bool needsCodecs(const std::string& path) {
    std::array<char, 12> head{};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(head.data(), head.size())) return true;
    const std::string h(head.data(), head.size());
    const bool wave = h.compare(0, 4, "RIFF") == 0 && h.compare(8, 4, "WAVE") == 0;
    return !(wave || h.compare(0, 4, ".snd") == 0 || h.compare(0, 4, "MThd") == 0);
}

std::string programDir() {
    std::array<char, PATH_MAX> buf{};
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    std::string exe(buf.data(), static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

// The build tree keeps the plugin beside the program; installed, it sits in the program's
// private library folder, given relative to the program.
GstRef<GstPlugin> loadOwn() {
    const std::string dir = programDir();
    for (const std::string& file : {dir + "/" + kPluginFile,
#ifdef PELTO_CODECS_DIR
                                    dir + "/" PELTO_CODECS_DIR "/" + kPluginFile
#endif
         }) {
        if (access(file.c_str(), R_OK) != 0) continue;
        if (auto plugin = adopt(gst_plugin_load_file(file.c_str(), nullptr))) return plugin;
    }
    return {};
}

// Above our own decoders (primary + 1) and the wrapper's (primary).
constexpr guint kHardwareRank = GST_RANK_PRIMARY + 2;

// Features whose rank the user set in GST_PLUGIN_FEATURE_RANK ("name:rank,..."), to turn off a
// broken driver's decoder for instance: theirs stands.
bool rankSetByUser(const char* name) {
    const char* env = g_getenv("GST_PLUGIN_FEATURE_RANK");
    if (!env) return false;
    GStrv entries = g_strsplit(env, ",", 0);
    bool found = false;
    for (GStrv e = entries; *e && !found; ++e) {
        const char* colon = strchr(*e, ':');
        const std::size_t length = colon ? static_cast<std::size_t>(colon - *e) : strlen(*e);
        found = length == strlen(name) && strncmp(*e, name, length) == 0;
    }
    g_strfreev(entries);
    return found;
}

}  // namespace

void preferHardwareDecoders() {
    GList* decoders = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO, GST_RANK_NONE);
    for (GList* l = decoders; l; l = l->next) {
        auto* factory = GST_ELEMENT_FACTORY(l->data);
        // The type filter takes any decoder; hardware ones say so in their class.
        const gchar* klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
        auto* feature = GST_PLUGIN_FEATURE(factory);
        const guint rank = gst_plugin_feature_get_rank(feature);
        if (!klass || !strstr(klass, "Hardware") || rank >= kHardwareRank ||
            rankSetByUser(GST_OBJECT_NAME(feature)))
            continue;
        // Lifted by the same step, they keep the framework's order among themselves; of its two VA
        // plugins the maintained one wins a tie (the older one would by name).
        const char* plugin = gst_plugin_feature_get_plugin_name(feature);
        const guint tie = g_strcmp0(plugin, "va") == 0 ? 1 : 0;
        gst_plugin_feature_set_rank(feature, kHardwareRank + rank + tie);
    }
    gst_plugin_feature_list_free(decoders);
}

void loadCodecsFor(const std::string& path) {
    // Once loaded, later opens need not read their file's head again.
    static std::atomic<bool> loaded{false};
    if (loaded || !needsCodecs(path)) return;
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gst_is_initialized()) gst_init(nullptr, nullptr);
        // Without our own, the wrapper is loaded ahead: its hundred shared objects are the
        // longest part of a first open.
        if (!loadOwn()) adopt(gst_plugin_load_by_name("libav"));
        preferHardwareDecoders();
        loaded = true;
    });
}

}  // namespace mci
