#pragma once

#include "QuorZubApp/Views/Studio/ZubStudioHeaderPresentation.h"
#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include "QuorKit/Design/QuorToastBanner.h"

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <optional>

class QHBoxLayout;
class QLabel;
class QAbstractScrollArea;
class QVBoxLayout;
class QuorCreditsHeaderPill;
class QuorFeedbackButton;
class QuorStyledButton;
class ZubStudioButton;

// The whole content of the studio window: the unified header (brand, version, feedback, the four
// tab buttons, the credits pill, the auto-show pill and the screen-OCR button) over the selected
// tab, the toast at the bottom and the version and logs sheet. It holds nothing of its own but the
// hover looks of its header buttons: every value is read from the model on each sync and every
// action goes back through it.
class MainZubStudioView : public QWidget {
    Q_OBJECT
public:
    MainZubStudioView(ZubStudioModel& model, const QColor& accent, QWidget* parent = nullptr);
    ~MainZubStudioView() override;

    const ZubStudioHeaderPresentation& presentation() const { return m_presentation; }
    // The tab view now shown, and which tab it is.
    QWidget* tabView() const { return m_tabView; }
    std::optional<ZubStudioTab> shownTab() const { return m_shownTab; }
    QuorToastBanner* toastBanner() const { return m_toast; }
    QDialog* versionSheet() const { return m_sheet; }
    // The shown tab's scrolling column, when it has one.
    QAbstractScrollArea* tabScrollArea() const;
    // Keeps where the shown tab is scrolled in the model, for the view built when the window opens
    // again.
    void keepScrollPosition();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildHeader();
    void sync();
    void syncHeader();
    void syncTab();
    void syncToast();
    void syncSheet();
    void placeToast();
    // Shows or leaves out the header's details for the view's width.
    void fitHeader();
    void setHeaderDetailsVisible(bool visible);
    QWidget* makeTabView(ZubStudioTab tab);
    // The first tab view built takes back the position kept when the window last closed.
    void restoreScrollPosition(ZubStudioTab tab);
    // Scrolls the shown tab's column to `offset` as soon as it is that tall.
    void followScrollOffset(int offset);

    ZubStudioModel& m_model;
    QColor m_accent;
    ZubStudioHeaderPresentation m_presentation;

    QWidget* m_header = nullptr;
    QLabel* m_productName = nullptr;
    QList<ZubStudioButton*> m_tabButtons;
    ZubStudioButton* m_versionButton = nullptr;
    QuorFeedbackButton* m_feedbackButton = nullptr;
    QuorCreditsHeaderPill* m_creditsPill = nullptr;
    ZubStudioButton* m_autoPill = nullptr;
    QuorStyledButton* m_ocrButton = nullptr;

    QVBoxLayout* m_contentLayout = nullptr;
    QWidget* m_tabView = nullptr;
    std::optional<ZubStudioTab> m_shownTab;
    // Where the settings tab was scrolled when the user last left it.
    int m_settingsScrollOffset = 0;

    QPointer<QuorToastBanner> m_toast;
    std::optional<QString> m_shownToast;
    bool m_shownToastIsError = false;
    QPointer<QDialog> m_sheet;
};
