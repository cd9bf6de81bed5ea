#pragma once
// Texts shown in the current language. A widget keeps the Japanese text it was given, so a switch of
// language shows every text again in the new one, whoever put it there and whenever.

#include <QString>
#include <QStringList>

#include "core/Language.h"

class QComboBox;
class QMdiSubWindow;
class QObject;
class QWidget;

namespace zendra::shell {

enum class TextSlot {
    Text,         // a label's, button's, action's or check box's text; a group box's or menu's title
    ToolTip,
    WindowTitle,
};

// How the looked-up text is put on the widget.
enum class TextForm {
    AsIs,
    LineBreaks,  // the logic's CR LF and lone CR become the widget's line breaks
};

// The texts break lines with CR LF or a lone CR; Qt's labels break only at LF, so both become LF for display.
QString DisplayLineBreaks(const QString& text);

// Shows `source` (a Japanese text, or one without any language) in the current language.
void ShowText(QObject* target, const QString& source, TextSlot slot = TextSlot::Text,
              TextForm form = TextForm::AsIs);

template <class Widget>
Widget* WithText(Widget* widget, const QString& source, TextSlot slot = TextSlot::Text) {
    ShowText(widget, source, slot);
    return widget;
}

// A leading "*" on the window's title while it shows unsaved edits, in either language.
void ShowUnsaved(QWidget* window, bool unsaved);
// The name of the setup the window's contents came from after its title (empty: none), in either language.
void ShowSetupName(QWidget* window, const QString& name);

// Fills `combo` with `sources` in the current language (replacing what it held).
void ShowItems(QComboBox* combo, const QStringList& sources);
// The entries as given to ShowItems.
QStringList ItemSources(const QComboBox* combo);

// Qt names the items of a child window's own menu (restore, move, size...) once, when it makes them;
// from here on they follow a switch of language too.
void FollowLanguage(QMdiSubWindow* child);

// A widget whose texts are of its own making (a listing, a loaded file) shows them again itself.
class LanguageAware {
public:
    virtual void ShowInCurrentLanguage() = 0;

protected:
    ~LanguageAware() = default;
};

// Switches the program's texts, Qt's own texts (file dialog, standard buttons, context menus) and
// every text on screen to `language`. False when the English catalogue could not be loaded.
bool SwitchLanguage(core::Language language);
// Every text of every window again, in the current language.
void ShowAllTextsAgain();

}  // namespace zendra::shell
