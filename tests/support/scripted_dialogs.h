// Dialogs answered from a script: each call takes the next queued answer of its kind and
// records what it was asked. A call without a queued answer fails the test and cancels.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

class ScriptedDialogs : public Dialogs {
  public:
    struct Asked {
        std::string kind;  // "question", "message", "open", "save", "folder"
        std::string caption;
        std::string text;
        Icon icon = Icon::None;
        FileDialogOptions options;
    };

    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::vector<std::string>>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    std::vector<Asked> asked;

    bool AskYesNo(QWidget*, const std::string& caption, const std::string& text) override {
        asked.push_back({"question", caption, text, Icon::None, {}});
        return Take(yesNoAnswers, false);
    }
    void ShowMessage(QWidget*, const std::string& caption, const std::string& text,
                     Icon icon) override {
        asked.push_back({"message", caption, text, icon, {}});
    }
    std::optional<std::vector<std::string>> OpenFiles(QWidget*,
                                                      const FileDialogOptions& options) override {
        asked.push_back({"open", options.title, "", Icon::None, options});
        return Take(openAnswers, std::optional<std::vector<std::string>>{});
    }
    std::optional<std::string> SaveFile(QWidget*, const FileDialogOptions& options) override {
        asked.push_back({"save", options.title, "", Icon::None, options});
        return Take(saveAnswers, std::optional<std::string>{});
    }
    std::optional<std::string> BrowseFolder(QWidget*, const std::string& title) override {
        asked.push_back({"folder", title, "", Icon::None, {}});
        return Take(folderAnswers, std::optional<std::string>{});
    }

    // The messages shown so far (error boxes and notices), in order.
    std::vector<Asked> Messages() const {
        std::vector<Asked> out;
        for (const auto& a : asked)
            if (a.kind == "message") out.push_back(a);
        return out;
    }

  private:
// GCC 12 reports a false "may be used uninitialized" for moving out of optional<vector>.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
    template <typename T>
    static T Take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) {
            ADD_FAILURE() << "a dialog was shown that the test did not script";
            return fallback;
        }
        T answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
};
