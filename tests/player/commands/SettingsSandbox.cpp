// Every test process keeps its settings in a folder of its own, set before anything opens them.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct SettingsSandbox {
    std::string dir;
    SettingsSandbox() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelto-commands-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            dir = pattern;
            setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        }
    }
    ~SettingsSandbox() {
        std::error_code ignored;
        if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
    }
};

const SettingsSandbox sandbox;

}  // namespace
