#pragma once

#include "db/client.h"

#include <firebird/Interface.h>

namespace fb::detail {

// The engine's own texts are ASCII, but the values it quotes (a key that collided, a name) come in
// the connection character set; a file name may come as UTF-8.
QString messageText(const char* buf);

// A status object that turns a failed call into fb::Error with the engine's formatted text.
class Status {
public:
    Status() : m_status(master()->getStatus()), m_wrapper(m_status) {}
    ~Status() { m_status->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;
    Firebird::CheckStatusWrapper* operator&() { return &m_wrapper; }
    bool failed() { return m_wrapper.getState() & Firebird::IStatus::STATE_ERRORS; }
    void check();

private:
    Firebird::IStatus* m_status;
    Firebird::CheckStatusWrapper m_wrapper;
};

}  // namespace fb::detail
