#pragma once

// The core's messages as modal message boxes, titled with the program's name.
#include "base/messages.h"

class QWidget;

namespace tessarin {

class CStringTable;

class CMessageBoxSink : public IMessageSink {
public:
    explicit CMessageBoxSink(const CStringTable& strings) : m_strings(strings) {}
    MessageAnswer Show(const CMessage& message) override;
    // The window the boxes belong to; the active window when none.
    void SetParent(QWidget* parent) { m_parent = parent; }

private:
    const CStringTable& m_strings;
    QWidget* m_parent = nullptr;
};

}  // namespace tessarin
