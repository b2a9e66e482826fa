#pragma once

#include "QuorZubCore/Models/ZubTargetLanguage.h"

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QList>
#include <QRect>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QSystemTrayIcon;
class QWidget;
class MenuBarZubPopoverView;
class ZubStudioViewModel;

// The application's place in the panel: a tray icon showing whether selections open the bar and
// the target language, which opens the tray window as a popup next to itself (or the pointer when
// the tray does not say where it is). GUI thread only.
class ZubMenuBarExtra : public QObject {
    Q_OBJECT
public:
    // What the icon shows.
    struct Label {
        QString symbolName;
        QString badge;
        QString toolTip;
        bool isPaused = false;
        bool operator==(const Label& other) const = default;
    };

    // Where the icon's marks go in a square of `side` pixels. Trays ask for 16 to 24 pixels, where
    // the badge alone fills the plate, on two lines when it names two languages ("TR" over "EN");
    // from 32 pixels the glyph sits above it. Text is set in whole pixels, as large as fits.
    struct IconLayout {
        bool showsGlyph = false;
        QRectF glyph;
        QStringList lines;
        QList<QRectF> lineBoxes;
        int pixelSize = 0;
        // White over the plate; a paused icon draws its marks dimmed.
        double markOpacity = 1;
        bool operator==(const IconLayout& other) const = default;
    };
    // The plate behind the marks: opaque, so the panel's colour never shows through.
    static QColor iconPlate();
    static IconLayout iconLayout(const Label& label, int side);

    static Label label(bool autoShowOnSelection, ZubTargetLanguage targetLanguage);
    static QIcon renderIcon(const Label& label);
    // Where a popup of `size` goes: against the tray icon on the side away from the screen edge it
    // sits at, else below and right of the pointer; always inside `available`.
    static QRect popupFrame(QSize size, const QRect& trayGeometry, QPoint pointer, const QRect& available);

    ZubMenuBarExtra(ZubStudioViewModel* viewModel, std::function<void()> onOpenStudio, QColor accent,
                    QObject* parent = nullptr);
    ~ZubMenuBarExtra() override;

    // Opens the popup at the tray icon (or the pointer), or closes it when it is open.
    void togglePopup();
    void closePopup();
    QWidget* popup() const;
    MenuBarZubPopoverView* popoverView() const { return m_view; }
    QSystemTrayIcon* trayIcon() const { return m_trayIcon.get(); }
    const Label& currentLabel() const { return m_label; }

private:
    void sync();
    QWidget* ensurePopup();

    QPointer<ZubStudioViewModel> m_viewModel;
    std::function<void()> m_onOpenStudio;
    QColor m_accent;
    std::unique_ptr<QSystemTrayIcon> m_trayIcon;
    std::unique_ptr<QWidget> m_popup;
    MenuBarZubPopoverView* m_view = nullptr;
    Label m_label;
    bool m_hasLabel = false;
};
