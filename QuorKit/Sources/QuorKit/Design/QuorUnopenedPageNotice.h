#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QUrl>
#include <QWidget>

#include <optional>

class QLabel;
class QuorStyledButton;

// Says that the browser could not be opened and offers the page's address to copy, so the page can
// still be reached: a sentence, the address (selectable plain text) and a Copy Address button.
// Shown inline by the credits views and in a popup under a button (popUp()); assistive technology
// meets it as an alert named by the sentence, with the address as its description.
class QuorUnopenedPageNotice : public QWidget {
    Q_OBJECT
public:
    struct Texts {
        QString message;
        QString title; // of the popup's window
        QString copyTitle; // "Copied" once the address is on the clipboard
        bool operator==(const Texts& other) const = default;
    };
    static Texts texts(QuorLanguage language, bool copied);

    explicit QuorUnopenedPageNotice(QuorLanguage language, QWidget* parent = nullptr);

    // Shows `url`, or hides the notice without one. A new address starts with "Copy Address" again.
    void setURL(const std::optional<QUrl>& url);
    std::optional<QUrl> url() const { return m_url; }
    void setLanguage(QuorLanguage language);
    void copyAddress();

    // Shows a notice for `url` in a popup under `anchor`, with the keyboard on Copy Address, which
    // wears its ring; Escape closes the popup alone and hands the keyboard back to `anchor`.
    static QWidget* popUp(const QUrl& url, QuorLanguage language, QWidget* anchor);

private:
    void sync();

    QuorLanguage m_language;
    std::optional<QUrl> m_url;
    bool m_copied = false;
    QLabel* m_message = nullptr;
    QLabel* m_address = nullptr;
    QuorStyledButton* m_copyButton = nullptr;
};
