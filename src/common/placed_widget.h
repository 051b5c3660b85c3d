#pragma once

// Windows here are laid out at fixed places, each control carrying its name as object
// name. Header-only and used by widget code alone, so tavrel_common itself does not link
// the widget module.
#include <QRect>
#include <QString>
#include <QWidget>
#include <utility>

// new W(args..., parent), named and placed.
template<class W, class... Args>
W* PlacedWidget(QWidget* parent, const char* name, const QRect& geometry, Args&&... args)
{
    auto* widget = new W(std::forward<Args>(args)..., parent);
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(geometry);
    return widget;
}
