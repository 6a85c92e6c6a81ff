// A window double for the settings code: fields, set buttons, Save button and message boxes.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tavrel/settings_view.h"

namespace tavrel::testing {

class FakeSettingsView : public SettingsView {
  public:
    std::map<int, std::string> fields;
    std::map<int, bool> checked;
    bool saveEnabled = true;  // as in the dialog template
    std::deque<Answer> answers;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<std::pair<int, std::int32_t>> fieldWrites;
    int radioWrites = 0;
    int saveStateWrites = 0;

    bool IsChecked(int controlId) const {
        const auto it = checked.find(controlId);
        return it != checked.end() && it->second;
    }
    int Calls() const {
        return static_cast<int>(fieldWrites.size() + questions.size() + messages.size()) +
               radioWrites + saveStateWrites;
    }

    void GetFieldText(int controlId, char* buffer, int size) override {
        ASSERT_GT(size, 0);
        const std::string& text = fields[controlId];
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    void SetFieldInt(int controlId, std::int32_t value) override {
        fields[controlId] = std::to_string(value);
        fieldWrites.emplace_back(controlId, value);
    }
    void SetRadioChecked(int controlId, bool isChecked) override {
        checked[controlId] = isChecked;
        ++radioWrites;
    }
    void SetSaveEnabled(bool enabled) override {
        saveEnabled = enabled;
        ++saveStateWrites;
    }
    Answer AskYesNoCancel(const char* text) override {
        questions.emplace_back(text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return Answer::Cancel;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowMessage(const char* text) override { messages.emplace_back(text); }
};

}  // namespace tavrel::testing
