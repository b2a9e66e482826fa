#pragma once

#include "QuorKit/UI/Credits/QuorViewState.h"

// The state of a kit view that must redraw when the interface language changes: its revision rises
// by one on every change, a turn of the event loop after the announcement.
class QuorLanguageAwareUIState : public QuorViewState {
    Q_OBJECT
public:
    explicit QuorLanguageAwareUIState(QObject* parent = nullptr);

    int languageRevision() const { return m_languageRevision; }

signals:
    void languageRevisionChanged();

private:
    int m_languageRevision = 0;
};
