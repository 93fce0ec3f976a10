// The modal dialogs the player asks the user through. One small interface so that tests
// can answer them; the Qt implementation is QtDialogs. Texts are UTF-8 byte strings,
// paths are file-system bytes.
#pragma once

#include <optional>
#include <string>
#include <vector>

class QWidget;

struct FileDialogOptions {
    std::string title;          // empty: the platform's default title
    std::string filter;         // "Description|*.a;*.b|Description|*.c" pairs
    std::string defaultSuffix;  // appended to a typed name without extension ("" for none)
    std::string directory;      // initial folder ("" for the platform's choice)
    bool multiSelect = false;
    bool mustExist = false;
};

class Dialogs {
  public:
    enum class Icon { None, Error, Information };

    virtual ~Dialogs() = default;

    // "&Yes" / "&No", Yes the default; Escape and closing the dialog answer No.
    virtual bool AskYesNo(QWidget* parent, const std::string& caption, const std::string& text) = 0;
    // One "OK" button.
    virtual void ShowMessage(QWidget* parent, const std::string& caption, const std::string& text,
                             Icon icon) = 0;
    // The chosen files in the dialog's order; nullopt when cancelled.
    virtual std::optional<std::vector<std::string>> OpenFiles(QWidget* parent,
                                                              const FileDialogOptions& options) = 0;
    // The chosen name as a full path; nullopt when cancelled.
    virtual std::optional<std::string> SaveFile(QWidget* parent,
                                                const FileDialogOptions& options) = 0;
    // The chosen folder, ending in "/"; nullopt when cancelled.
    virtual std::optional<std::string> BrowseFolder(QWidget* parent, const std::string& title) = 0;
};

class QtDialogs : public Dialogs {
  public:
    bool AskYesNo(QWidget* parent, const std::string& caption, const std::string& text) override;
    void ShowMessage(QWidget* parent, const std::string& caption, const std::string& text,
                     Icon icon) override;
    std::optional<std::vector<std::string>> OpenFiles(QWidget* parent,
                                                      const FileDialogOptions& options) override;
    std::optional<std::string> SaveFile(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<std::string> BrowseFolder(QWidget* parent, const std::string& title) override;
};

// "A|*.x;*.y|B|*.z" to Qt's "A (*.x *.y);;B (*.z)".
std::string QtFilterFromPairs(const std::string& pairs);
