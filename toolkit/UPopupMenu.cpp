#include "UPopupMenu.h"

#include <QAction>
#include <QIcon>
#include <QPixmap>

TPopupMenu::TPopupMenu(QWidget* Parent) : QMenu(Parent) {}

QAction* TPopupMenu::AddItem(const QString& Name, const QString& Caption,
                             const QString& GlyphPath) {
    auto* action = new QAction(this);
    action->setObjectName(Name);
    // '&' would mark an accelerator; captions are shown as written.
    QString text = Caption;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    action->setText(text);
    action->setIconVisibleInMenu(true);
    if (!GlyphPath.isEmpty()) {
        const QPixmap glyph(GlyphPath);
        if (!glyph.isNull())
            action->setIcon(QIcon(glyph));
    }
    addAction(action);
    return action;
}

QAction* TPopupMenu::AddSeparator(const QString& Name) {
    QAction* action = addSeparator();
    action->setObjectName(Name);
    return action;
}

QAction* TPopupMenu::Item(const QString& Name) const {
    for (QAction* a : actions()) {
        if (a->objectName() == Name)
            return a;
    }
    return nullptr;
}
