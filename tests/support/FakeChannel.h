#pragma once
// A recording fake of the media command channel: keeps every command sent and answers
// scripted replies, so tests pin exact command sequences without an engine.

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mdlFunctions.h"

class FakeChannel {
  public:
    struct Answer {
        int result = 0;
        std::string reply;
    };

    // Replies by exact command text; unscripted commands succeed with an empty reply.
    std::map<std::string, Answer> answers;
    // Consulted before `answers` when set (for replies that change over time).
    std::function<bool(const std::string&, Answer&)> script;
    std::vector<std::string> sent;

    void reply(const std::string& command, const std::string& text, int result = 0) {
        answers[command] = Answer{result, text};
    }
    void clear() { sent.clear(); }

    mdlFunctions::CommandChannel channel() {
        return [this](const std::string& command, char* buffer, int length) {
            sent.push_back(command);
            Answer a;
            if (!(script && script(command, a))) {
                auto it = answers.find(command);
                if (it != answers.end()) a = it->second;
            }
            if (buffer && length > 0) {
                std::string r = a.result == 0 ? a.reply : std::string();
                size_t n = std::min(r.size(), static_cast<size_t>(length - 1));
                std::memcpy(buffer, r.data(), n);
                buffer[n] = '\0';
            }
            return a.result;
        };
    }
};
