#pragma once

namespace orv {

// Call first thing in main, before any thread starts. The zip library turns
// every entry's time stamp into local time, and without TZ the C library
// re-reads the zone file on each conversion: a fifth of the reading time.
// Naming the system's zone file once keeps the same local time without that.
void SettleTimeZone();

} // namespace orv
