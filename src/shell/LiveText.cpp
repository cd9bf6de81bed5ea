#include "shell/LiveText.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QTranslator>

namespace zendra::shell {

namespace {

constexpr char kFormProperty[] = "zendraTextForm";
constexpr char kItemsProperty[] = "zendraItems";
constexpr char kUnsavedProperty[] = "zendraUnsaved";
constexpr char kSetupProperty[] = "zendraSetup";
constexpr char kQtTextProperty[] = "zendraQtText";
constexpr char kSystemMenuContext[] = "QMdiSubWindow";
constexpr const char* kSystemMenuItems[] = {"&Restore",  "&Move",        "&Size",  "Mi&nimize",
                                            "Ma&ximize", "Stay on &Top", "&Close"};
constexpr TextSlot kSlots[] = {TextSlot::Text, TextSlot::ToolTip, TextSlot::WindowTitle};

const char* PropertyName(TextSlot slot) {
    switch (slot) {
        case TextSlot::Text:
            return "zendraText";
        case TextSlot::ToolTip:
            return "zendraToolTip";
        case TextSlot::WindowTitle:
            return "zendraWindowTitle";
    }
    return "zendraText";
}

// Qt's own texts in Japanese; English is Qt's source language and needs none. A child of the
// application, so it goes with it.
QPointer<QTranslator> g_qtTexts;

void UseQtTexts(core::Language language) {
    if (language == core::Language::English) {
        delete g_qtTexts;
        return;
    }
    if (g_qtTexts) return;
    auto* translator = new QTranslator(QCoreApplication::instance());
    // Without Debian's Qt translations the dialogs stay in Qt's English; nothing else changes.
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator)) {
        g_qtTexts = translator;
    } else {
        delete translator;
    }
}

QString Shown(const QString& source, TextForm form) {
    const QString text = core::Translate(source);
    return form == TextForm::LineBreaks ? DisplayLineBreaks(text) : text;
}

void Put(QObject* target, TextSlot slot, const QString& text) {
    auto* widget = qobject_cast<QWidget*>(target);
    auto* action = qobject_cast<QAction*>(target);
    switch (slot) {
        case TextSlot::Text:
            if (action != nullptr)
                action->setText(text);
            else if (auto* menu = qobject_cast<QMenu*>(target))
                menu->setTitle(text);
            else if (auto* group = qobject_cast<QGroupBox*>(target))
                group->setTitle(text);
            else if (auto* button = qobject_cast<QAbstractButton*>(target))
                button->setText(text);
            else if (auto* label = qobject_cast<QLabel*>(target))
                label->setText(text);
            break;
        case TextSlot::ToolTip:
            if (action != nullptr) action->setToolTip(text);
            if (widget != nullptr) widget->setToolTip(text);
            break;
        case TextSlot::WindowTitle:
            // The unsaved-edits marker stays outside the stored text, so either language shows it.
            if (widget != nullptr) {
                const QString setup = widget->property(kSetupProperty).toString();
                widget->setWindowTitle((widget->property(kUnsavedProperty).toBool() ? QStringLiteral("*") : QString()) +
                                       text + (setup.isEmpty() ? QString() : QStringLiteral(" - ") + setup));
            }
            break;
    }
}

void ShowAgain(QObject* object) {
    for (TextSlot slot : kSlots) {
        const QVariant source = object->property(PropertyName(slot));
        if (!source.isValid()) continue;
        const auto form = slot == TextSlot::Text
                              ? static_cast<TextForm>(object->property(kFormProperty).toInt())
                              : TextForm::AsIs;
        Put(object, slot, Shown(source.toString(), form));
    }
    const QByteArray qtText = object->property(kQtTextProperty).toByteArray();
    if (auto* action = qobject_cast<QAction*>(object); action != nullptr && !qtText.isEmpty())
        action->setText(QCoreApplication::translate(kSystemMenuContext, qtText.constData()));
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        const QStringList items = combo->property(kItemsProperty).toStringList();
        if (items.size() == combo->count())
            for (int i = 0; i < items.size(); ++i) combo->setItemText(i, core::Translate(items.at(i)));
    }
    if (auto* aware = dynamic_cast<LanguageAware*>(object)) aware->ShowInCurrentLanguage();
}

}  // namespace

QString DisplayLineBreaks(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void ShowText(QObject* target, const QString& source, TextSlot slot, TextForm form) {
    if (target == nullptr) return;
    target->setProperty(PropertyName(slot), source);
    if (slot == TextSlot::Text) target->setProperty(kFormProperty, static_cast<int>(form));
    Put(target, slot, Shown(source, form));
}

void ShowUnsaved(QWidget* window, bool unsaved) {
    if (window == nullptr || window->property(kUnsavedProperty).toBool() == unsaved) return;
    window->setProperty(kUnsavedProperty, unsaved);
    const QVariant source = window->property(PropertyName(TextSlot::WindowTitle));
    if (source.isValid()) Put(window, TextSlot::WindowTitle, Shown(source.toString(), TextForm::AsIs));
}

void ShowSetupName(QWidget* window, const QString& name) {
    if (window == nullptr || window->property(kSetupProperty).toString() == name) return;
    window->setProperty(kSetupProperty, name);
    const QVariant source = window->property(PropertyName(TextSlot::WindowTitle));
    if (source.isValid()) Put(window, TextSlot::WindowTitle, Shown(source.toString(), TextForm::AsIs));
}

void ShowItems(QComboBox* combo, const QStringList& sources) {
    combo->setProperty(kItemsProperty, sources);
    combo->clear();
    for (const QString& source : sources) combo->addItem(core::Translate(source));
}

void FollowLanguage(QMdiSubWindow* child) {
    QMenu* menu = child->systemMenu();
    if (menu == nullptr) return;
    for (QAction* action : menu->actions())
        for (const char* item : kSystemMenuItems)
            if (action->text() == QCoreApplication::translate(kSystemMenuContext, item))
                action->setProperty(kQtTextProperty, QByteArray(item));
}

QStringList ItemSources(const QComboBox* combo) { return combo->property(kItemsProperty).toStringList(); }

bool SwitchLanguage(core::Language language) {
    const bool loaded = core::UseLanguage(language);
    UseQtTexts(core::CurrentLanguage());
    // Qt's own widgets renew their texts on the change events the translators posted; now, not later.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    ShowAllTextsAgain();
    return loaded;
}

void ShowAllTextsAgain() {
    // A window inside another is found twice (as a window and as a child); each shows its texts once.
    // A view that renews its text replaces objects of its own (a document's frames), so each is looked
    // at only while it still exists.
    QSet<QObject*> done;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        QList<QPointer<QObject>> objects{window};
        for (QObject* child : window->findChildren<QObject*>()) objects << child;
        for (const QPointer<QObject>& object : objects)
            if (object && !done.contains(object.data())) {
                done.insert(object.data());
                ShowAgain(object.data());
            }
    }
}

}  // namespace zendra::shell
