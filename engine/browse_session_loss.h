#pragma once

#include <open62541/types.h>

// True when a service failed because the connection or the session is gone, not because of the
// node asked about. Every later request on such a client first tries to reconnect, which takes
// up to a second each, so a walk stops at the first of these. A timeout is not among them: a
// server busy with one large request may well answer the next.
bool IsSessionLost(UA_StatusCode serviceResult);
