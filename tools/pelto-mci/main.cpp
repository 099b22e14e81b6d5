// pelto-mci: sends each argument (or each line of standard input) to the media control engine,
// prints each reply and the text of each failure.
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "mci/mci.h"

namespace {

const char kHelp[] =
    "Usage: pelto-mci [COMMAND...]\n"
    "Sends each COMMAND to the media control engine; without commands, reads one command a line\n"
    "from standard input until it ends. Prints each reply, and the error text of a failed command.\n"
    "Every device still open at the end is closed.\n\n"
    "Examples:\n"
    "  pelto-mci 'open \"clip.mp3\" type mpegvideo alias m' 'play m wait' 'close m'\n"
    "  pelto-mci 'open new type waveaudio alias c' 'record c' ... 'stop c' 'save c \"out.wav\"'\n\n"
    "Commands: open, close, play [from n] [to n], pause, resume, stop, seek to start|end|n,\n"
    "set time format ms|frames, set speed n, set audio all on|off, setaudio volume to n,\n"
    "status mode|length|position|ready|time format|speed|volume, where source, put window at x y w h,\n"
    "record, save \"path\", set format tag pcm, set cdaudio door open|closed; flags wait, notify.\n"
    "Set PELTO_MCI_LOG=<file> to trace every command with its result and reply.\n";

int failures = 0;

void send(const std::string& command) {
    char reply[512];
    const int rc = mci::sendString(command, reply, sizeof reply);
    if (rc != mci::Ok) {
        ++failures;
        std::fprintf(stderr, "error %d: %s\n", rc, mci::errorText(rc).c_str());
    } else if (reply[0]) {
        std::printf("%s\n", reply);
    }
    std::fflush(stdout);
}

// Reads standard input without blocking the event loop, so pictures keep painting between lines.
class LineReader {
  public:
    LineReader() : notifier_(STDIN_FILENO, QSocketNotifier::Read) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { readSome(); });
    }

  private:
    void readSome() {
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            notifier_.setEnabled(false);
            if (!pending_.empty()) send(pending_);
            QCoreApplication::quit();
            return;
        }
        pending_.append(chunk, static_cast<std::size_t>(n));
        notifier_.setEnabled(false);  // a "wait" command runs the event loop; no reading under it
        for (std::size_t eol; (eol = pending_.find('\n')) != std::string::npos;) {
            std::string line = pending_.substr(0, eol);
            pending_.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) send(line);
        }
        notifier_.setEnabled(true);
    }
    QSocketNotifier notifier_;
    std::string pending_;
};

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    // Pictures need a display; without one the engine plays sound only.
    const bool display =
        std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
    std::unique_ptr<QCoreApplication> app;
    if (display) {
        app = std::make_unique<QApplication>(argc, argv);
        // Closing a movie's own window ends that picture, not the commands still to come.
        QApplication::setQuitOnLastWindowClosed(false);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    mci::setOptions(mci::Options::fromEnvironment());
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) send(argv[i]);
    } else {
        LineReader reader;
        app->exec();
    }
    mci::sendString("close all", nullptr, 0);
    return failures == 0 ? 0 : 1;
}
