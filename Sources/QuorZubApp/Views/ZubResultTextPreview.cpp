#include "QuorZubApp/Views/ZubResultTextPreview.h"

#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/Utilities/QuorGraphemes.h"

namespace ZubResultTextPreview {

QString make(const QString& text, QuorLanguage language, qsizetype characters)
{
    // A character is at least one code unit: a text this short is shown whole without measuring.
    if (text.size() <= characters) {
        return text;
    }
    const QString start = QuorGraphemes::prefix(text, characters);
    if (start.size() == text.size()) {
        return text;
    }
    return start
           + quorText(QStringLiteral("…\n\n(The rest of this long text is not shown; Copy and Replace use all of it.)"),
                      QStringLiteral("…\n\n(Bu uzun metnin devamı gösterilmiyor; Kopyala ve Değiştir metnin tamamını "
                                     "kullanır.)"),
                      {}, language);
}

} // namespace ZubResultTextPreview
