#pragma once

#include "QuorKit/Windowing/QuorMenuElement.h"

#include <QList>
#include <QString>

#include <functional>

// An application's own top-level menu, placed between Edit and Window.
struct QuorCustomMenu {
    std::function<QString()> title;
    QList<QuorMenuElement> elements;

    QuorCustomMenu(const QString& fixedTitle, QList<QuorMenuElement> elements)
        : title([fixedTitle] { return fixedTitle; }), elements(std::move(elements))
    {
    }
    QuorCustomMenu(std::function<QString()> title, QList<QuorMenuElement> elements)
        : title(std::move(title)), elements(std::move(elements))
    {
    }
};
