#include "pages/pagecaptions.h"

#include "model/records.h"
#include "pages/procreatetable.h"

namespace PageCaptions {

QString procreateName(const KeyData &key, bool fullText)
{
    const ProcreateShortcut *s = findProcreateShortcut(key);
    if (!s)
        return QString();
    return fullText ? s->label : s->shortLabel;
}

} // namespace PageCaptions
