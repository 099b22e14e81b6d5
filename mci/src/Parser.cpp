#include <cstring>
#include <limits>

#include "AsciiCase.h"
#include "Command.h"
#include "mci/mci.h"

namespace mci {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Walks the words after the device name; quoted words are never keywords.
class Cursor {
  public:
    explicit Cursor(const std::vector<Word>& words) : words_(words) {}
    bool done() const { return pos_ >= words_.size(); }
    const Word& peek() const { return words_[pos_]; }
    bool accept(std::string_view keyword) {
        if (done() || peek().quoted || !sameText(peek().text, keyword)) return false;
        ++pos_;
        return true;
    }
    // The next word as a value of a keyword; nullptr when there is none.
    const Word* value() { return done() ? nullptr : &words_[pos_++]; }

  private:
    const std::vector<Word>& words_;
    std::size_t pos_ = 2;
};

int number(Cursor& c, int& out) {
    const Word* w = c.value();
    if (!w) return ErrMissingArgument;
    auto n = parseCount(w->text);
    if (!n) return ErrBadNumber;
    out = *n;
    return Ok;
}

int parseOpen(Cursor& c, Command& cmd) {
    while (!c.done()) {
        if (c.accept("type")) {
            const Word* w = c.value();
            if (!w) return ErrMissingArgument;
            cmd.type = asciiLowered(w->text);
        } else if (c.accept("alias")) {
            const Word* w = c.value();
            if (!w) return ErrMissingArgument;
            cmd.alias = w->text;
        } else if (c.accept("parent")) {
            const Word* w = c.value();
            if (!w) return ErrMissingArgument;
            if (w->text.empty() || w->text.size() > 20) return ErrBadNumber;
            std::uint64_t v = 0;
            for (char ch : w->text) {
                if (ch < '0' || ch > '9') return ErrBadNumber;
                const std::uint64_t digit = static_cast<std::uint64_t>(ch - '0');
                if (v > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return ErrBadNumber;
                v = v * 10 + digit;
            }
            cmd.parent = v;
        } else if (c.accept("style")) {
            const Word* w = c.value();
            if (!w) return ErrMissingArgument;
            cmd.style = asciiLowered(w->text);
        } else {
            return ErrUnknownKeyword;
        }
    }
    return Ok;
}

int parsePlay(Cursor& c, Command& cmd) {
    while (!c.done()) {
        int v = 0;
        if (c.accept("from")) {
            if (int e = number(c, v)) return e;
            cmd.from = v;
        } else if (c.accept("to")) {
            if (int e = number(c, v)) return e;
            cmd.to = v;
        } else {
            return ErrUnknownKeyword;
        }
    }
    return Ok;
}

int parseSeek(Cursor& c, Command& cmd) {
    if (!c.accept("to")) return c.done() ? ErrMissingArgument : ErrUnknownKeyword;
    if (c.done()) return ErrMissingArgument;
    if (c.accept("start")) {
        cmd.seekTo = SeekTo::Start;
    } else if (c.accept("end")) {
        cmd.seekTo = SeekTo::End;
    } else {
        cmd.seekTo = SeekTo::Position;
        if (int e = number(c, cmd.seekPosition)) return e;
    }
    return c.done() ? Ok : ErrUnknownKeyword;
}

int onOff(Cursor& c, std::string_view yes, std::string_view no, bool& out) {
    if (c.done()) return ErrMissingArgument;
    if (c.accept(yes)) {
        out = true;
    } else if (c.accept(no)) {
        out = false;
    } else {
        return ErrUnknownKeyword;
    }
    return Ok;
}

int parseSet(Cursor& c, Command& cmd) {
    if (c.done()) return ErrMissingArgument;
    if (c.accept("time")) {
        if (!c.accept("format")) return c.done() ? ErrMissingArgument : ErrUnknownKeyword;
        cmd.setItem = SetItem::TimeFormat;
        if (c.done()) return ErrMissingArgument;
        if (c.accept("ms") || c.accept("milliseconds")) {
            cmd.timeFormat = TimeFormat::Ms;
        } else if (c.accept("frames")) {
            cmd.timeFormat = TimeFormat::Frames;
        } else {
            return ErrUnknownKeyword;
        }
    } else if (c.accept("speed")) {
        cmd.setItem = SetItem::Speed;
        if (int e = number(c, cmd.number)) return e;
    } else if (c.accept("audio")) {
        cmd.setItem = SetItem::AudioAll;
        if (!c.accept("all")) return c.done() ? ErrMissingArgument : ErrUnknownKeyword;
        if (int e = onOff(c, "on", "off", cmd.on)) return e;
    } else if (c.accept("door")) {
        cmd.setItem = SetItem::Door;
        if (int e = onOff(c, "closed", "open", cmd.on)) return e;
    } else if (c.accept("format")) {
        if (!c.accept("tag")) return c.done() ? ErrMissingArgument : ErrUnknownKeyword;
        cmd.setItem = SetItem::FormatTag;
        if (c.done()) return ErrMissingArgument;
        if (!c.accept("pcm")) return ErrUnknownKeyword;
    } else {
        return ErrUnknownKeyword;
    }
    return c.done() ? Ok : ErrUnknownKeyword;
}

int parseSetAudio(Cursor& c, Command& cmd) {
    if (c.done()) return ErrMissingArgument;
    if (c.accept("volume")) {
        if (!c.accept("to")) return c.done() ? ErrMissingArgument : ErrUnknownKeyword;
        if (int e = number(c, cmd.number)) return e;
        if (cmd.number > 1000) return ErrBadNumber;
    } else {
        return ErrUnknownKeyword;
    }
    return c.done() ? Ok : ErrUnknownKeyword;
}

int parseStatus(Cursor& c, Command& cmd) {
    if (c.done()) return ErrMissingArgument;
    if (c.accept("mode")) {
        cmd.statusItem = StatusItem::Mode;
    } else if (c.accept("length")) {
        cmd.statusItem = StatusItem::Length;
    } else if (c.accept("position")) {
        cmd.statusItem = StatusItem::Position;
    } else if (c.accept("ready")) {
        cmd.statusItem = StatusItem::Ready;
    } else if (c.accept("speed")) {
        cmd.statusItem = StatusItem::Speed;
    } else if (c.accept("volume")) {
        cmd.statusItem = StatusItem::Volume;
    } else if (c.accept("time")) {
        if (!c.accept("format")) return c.done() ? ErrMissingArgument : ErrUnknownKeyword;
        cmd.statusItem = StatusItem::TimeFormat;
    } else if (c.accept("media")) {
        if (!c.accept("present")) return c.done() ? ErrMissingArgument : ErrUnknownKeyword;
        cmd.statusItem = StatusItem::MediaPresent;
    } else {
        return ErrUnknownKeyword;
    }
    return c.done() ? Ok : ErrUnknownKeyword;
}

int parseWhere(Cursor& c, Command& cmd) {
    if (c.done()) return ErrMissingArgument;
    if (c.accept("source")) {
        cmd.whereItem = WhereItem::Source;
    } else if (c.accept("destination") || c.accept("window")) {
        cmd.whereItem = WhereItem::Destination;
    } else {
        return ErrUnknownKeyword;
    }
    return c.done() ? Ok : ErrUnknownKeyword;
}

int parsePut(Cursor& c, Command& cmd) {
    if (!c.accept("window") && !c.accept("destination"))
        return c.done() ? ErrMissingArgument : ErrUnknownKeyword;
    if (!c.accept("at")) return c.done() ? ErrMissingArgument : ErrUnknownKeyword;
    for (int* v : {&cmd.rect.x, &cmd.rect.y, &cmd.rect.w, &cmd.rect.h})
        if (int e = number(c, *v)) return e;
    return c.done() ? Ok : ErrUnknownKeyword;
}

struct VerbName {
    const char* name;
    Verb verb;
};
constexpr VerbName kVerbs[] = {
    {"open", Verb::Open},         {"close", Verb::Close},   {"play", Verb::Play},   {"pause", Verb::Pause},
    {"resume", Verb::Resume},     {"stop", Verb::Stop},     {"seek", Verb::Seek},   {"set", Verb::Set},
    {"setaudio", Verb::SetAudio}, {"status", Verb::Status}, {"where", Verb::Where}, {"put", Verb::Put},
    {"record", Verb::Record},     {"save", Verb::Save},
};

}  // namespace

std::optional<int> parseCount(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    long long v = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
    }
    if (v > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(v);
}

int splitWords(std::string_view line, std::vector<Word>& words) {
    words.clear();
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        while (i < n && isBlank(line[i])) ++i;
        if (i >= n) break;
        Word w;
        if (line[i] == '"') {
            w.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const char ch = line[i];
                if (ch == '\\' && i + 1 < n && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    w.text += line[i + 1];
                    i += 2;
                } else if (ch == '"') {
                    ++i;
                    closed = true;
                    break;
                } else {
                    w.text += ch;
                    ++i;
                }
            }
            if (!closed) return ErrUnbalancedQuote;
        } else {
            const std::size_t start = i;
            while (i < n && !isBlank(line[i]) && line[i] != '"') ++i;
            w.text.assign(line.substr(start, i - start));
            // a quote glued to a bare word opens nothing that could be closed sensibly
            if (i < n && line[i] == '"') return ErrUnbalancedQuote;
        }
        words.push_back(std::move(w));
    }
    return Ok;
}

int parseCommand(std::string_view line, Command& cmd) {
    std::vector<Word> all;
    if (int e = splitWords(line, all)) return e;
    if (all.empty() || all[0].quoted) return ErrUnrecognizedCommand;
    bool known = false;
    for (const auto& v : kVerbs) {
        if (sameText(all[0].text, v.name)) {
            cmd.verb = v.verb;
            known = true;
            break;
        }
    }
    if (!known) return ErrUnrecognizedCommand;
    if (all.size() < 2) return ErrMissingArgument;
    cmd.device = all[1].text;

    // "wait" and "notify" may stand anywhere after the device name.
    std::vector<Word> words;
    words.reserve(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i >= 2 && !all[i].quoted && sameText(all[i].text, "wait")) {
            cmd.wait = true;
        } else if (i >= 2 && !all[i].quoted && sameText(all[i].text, "notify")) {
            cmd.notify = true;
        } else {
            words.push_back(std::move(all[i]));
        }
    }
    Cursor c(words);
    switch (cmd.verb) {
        case Verb::Open:
            return parseOpen(c, cmd);
        case Verb::Play:
            return parsePlay(c, cmd);
        case Verb::Seek:
            return parseSeek(c, cmd);
        case Verb::Set:
            return parseSet(c, cmd);
        case Verb::SetAudio:
            return parseSetAudio(c, cmd);
        case Verb::Status:
            return parseStatus(c, cmd);
        case Verb::Where:
            return parseWhere(c, cmd);
        case Verb::Put:
            return parsePut(c, cmd);
        case Verb::Save: {
            const Word* w = c.value();
            if (!w) return ErrMissingArgument;
            cmd.path = w->text;
            return c.done() ? Ok : ErrUnknownKeyword;
        }
        case Verb::Close:
        case Verb::Pause:
        case Verb::Resume:
        case Verb::Stop:
        case Verb::Record:
            return c.done() ? Ok : ErrUnknownKeyword;
    }
    return ErrUnrecognizedCommand;
}

}  // namespace mci
