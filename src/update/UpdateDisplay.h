#pragma once
// What a firmware update shows while it runs and how it ended, and the port choice it starts from: all
// that a front end needs of the update without its wire protocol.

#include <QString>
#include <optional>

namespace zendra::update {

// What the transfer shows. The dialog implements it; the command line prints it; tests record it.
class UpdateDisplay {
public:
    virtual ~UpdateDisplay() = default;
    virtual void msgCmt(const QString& text) = 0;  // first panel of the dialog's status bar
    virtual void ResetProgressBar() = 0;           // the bar's value becomes its minimum
    virtual void ShowProgressBar(int minimum, int maximum, int value) = 0;
    virtual void ShowFailureText(const QString& text) = 0;  // Label3 on a red background
    virtual void ShowInformationBox(const QString& title, const QString& text) = 0;  // modal
};

inline constexpr int kProgressMaximum = 7936;

enum class TransferResult {
    Completed,
    Refused,   // the file was refused before anything was sent
    TimedOut,  // a word's echo did not come
    Failed,    // a wrong echo, or the port failed
};

// The port number of a port choice "1".."20"; nullopt for "?", empty or anything else.
std::optional<int> PortNumberOf(const QString& comText);

}  // namespace zendra::update
