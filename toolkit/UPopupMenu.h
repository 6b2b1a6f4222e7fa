// A popup menu whose items carry 16 x 16 glyphs. Items are named (objectName)
// so that the windows and tests can reach them.
#pragma once

#include <QMenu>

class TPopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit TPopupMenu(QWidget* Parent = nullptr);

    // An item with Caption as its text, exactly (no accelerator is added) and
    // the glyph at GlyphPath; an empty path or a missing picture gives none.
    QAction* AddItem(const QString& Name, const QString& Caption, const QString& GlyphPath = {});
    QAction* AddSeparator(const QString& Name);
    // The item of that name, or nullptr.
    QAction* Item(const QString& Name) const;
};
