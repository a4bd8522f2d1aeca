// Window scaling. The relayout runs on a short single-shot timer after the last resize.
#include "app/widget.h"

void Widget::onResizeTimeout()
{
    if (!m_resizePending)
        return;
    m_scaleRatio = m_targetScaleRatio;
    m_resizePending = false;
    updateLayerBtnWidth();
    updateInputFrameWidth();
}
