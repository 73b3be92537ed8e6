// Other processes that have a character device open. Exclusive mode only
// refuses opens that come after it: a program that opened the port before
// keeps reading and takes bytes away from us, so the holders are looked for
// before a port is taken.
#pragma once

namespace platform {

// True when a process other than this one has the device of `fd` open. For a
// pseudo-terminal the process holding its master side is the device itself
// (a simulator), not another reader, and does not count. Processes whose
// descriptors cannot be read (another user's) are not seen.
bool deviceHeldElsewhere(int fd);

}  // namespace platform
