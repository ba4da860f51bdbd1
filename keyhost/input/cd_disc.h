// Whether the table's CD functions have something to act on: a CD-ROM drive
// holding an audio CD, a DVD-Video or a Video CD, classified by VXUtil's
// disc rules through its exports. Without one they could only show "There is
// no CD in the drive" or start a software disc's autorun, so the CD keys go
// to Windows' own media handling instead. A running player alone does not
// count: the CD functions drive players only for such a disc.
#pragma once

namespace keyhost {

bool disc_for_cd_keys();

} // namespace keyhost
