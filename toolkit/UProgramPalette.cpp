#include "UProgramPalette.h"

#include <QPalette>
#include <QWidget>

QPalette ProgramPalette() {
    const QColor text(0, 0, 0);
    const QColor ground(240, 240, 240);
    QPalette p(ground);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        const QColor ink = disabled ? QColor(120, 120, 120) : text;
        p.setColor(group, QPalette::Window, ground);
        p.setColor(group, QPalette::WindowText, ink);
        p.setColor(group, QPalette::Base, QColor(255, 255, 255));
        p.setColor(group, QPalette::AlternateBase, QColor(245, 245, 245));
        p.setColor(group, QPalette::Text, ink);
        p.setColor(group, QPalette::PlaceholderText, QColor(128, 128, 128));
        p.setColor(group, QPalette::Button, ground);
        p.setColor(group, QPalette::ButtonText, ink);
        p.setColor(group, QPalette::BrightText, QColor(255, 255, 255));
        p.setColor(group, QPalette::Light, QColor(255, 255, 255));
        p.setColor(group, QPalette::Midlight, QColor(227, 227, 227));
        p.setColor(group, QPalette::Mid, QColor(160, 160, 160));
        p.setColor(group, QPalette::Dark, QColor(110, 110, 110));
        p.setColor(group, QPalette::Shadow, QColor(60, 60, 60));
        p.setColor(group, QPalette::Highlight,
                   group == QPalette::Inactive ? QColor(200, 210, 225) : QColor(48, 140, 198));
        p.setColor(group, QPalette::HighlightedText,
                   group == QPalette::Inactive ? text : QColor(255, 255, 255));
        p.setColor(group, QPalette::Link, QColor(0, 0, 238));
        p.setColor(group, QPalette::LinkVisited, QColor(82, 24, 139));
        p.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 220));
        p.setColor(group, QPalette::ToolTipText, text);
    }
    return p;
}

void UseProgramPalette(QWidget* Window) {
    Window->setPalette(ProgramPalette());
}
