#include "QuorKit/Cloud/QuorFeedbackScreenshot.h"

#include "QuorKit/Utilities/QuorByteFormatter.h"

QString QuorFeedbackScreenshot::formattedSize() const
{
    return QuorByteFormatter::format(data.size());
}
