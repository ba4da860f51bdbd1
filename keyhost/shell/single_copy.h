// One keyhost per session, whatever integrity level each copy runs at.
#pragma once

namespace keyhost {

// True when this is the session's only copy; otherwise the running copy is
// told, and the caller does nothing else.
bool first_in_session();

} // namespace keyhost
