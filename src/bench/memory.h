#pragma once

namespace hemu::bench::Memory {

/// Resident set size now and its peak since the process started or since resetPeak(), in MB.
double currentRssMb();
double peakRssMb();
/// Makes the peak start again from the current size; false where the kernel does not allow it.
bool resetPeak();
/// Hands memory freed by earlier work back to the system, so it does not count as resident.
void releaseFreed();

} // namespace hemu::bench::Memory
