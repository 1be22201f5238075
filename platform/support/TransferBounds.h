// SPDX-License-Identifier: Apache-2.0
// The bounds on every file the wizard fetches from an update server (FTP or the local server
// share), in one place. Update servers are outside input: one that sends an endless file, or
// two bytes a second, must not fill the disk or keep an unattended run busy for hours.
// Part of platform/support; depends on the standard library.
#pragma once

#include <chrono>
#include <cstdint>

namespace platform {

// What a transfer is for; descriptors (update index and description files) are a few short
// lines, archives can be large.
enum class TransferKind { Descriptor, Archive };

struct TransferBounds {
    // A descriptor larger than this is refused: real ones are well under a kilobyte.
    std::uint64_t descriptorMaxBytes = std::uint64_t{1} << 20;
    // A descriptor fetch, from connecting to the last byte, ends after this: a few lines take
    // a second, so a server that needs a minute is not serving descriptors.
    std::chrono::seconds descriptorDeadline{60};
    // Every transfer fails when it averages under minBytesPerSecond over lowSpeedWindow: that
    // is slower than any working link, and would keep an unattended run busy for hours.
    long minBytesPerSecond = 1024;
    std::chrono::seconds lowSpeedWindow{30};
    // An archive transfer stops before the temporary folder's file system has less than this
    // left, so that the extraction, the install scripts and the system keep room to work.
    std::uint64_t minFreeBytes = std::uint64_t{64} << 20;

    // The bounds above, with QUILLON_TRANSFER_DESCRIPTOR_DEADLINE and
    // QUILLON_TRANSFER_LOW_SPEED_TIME (whole seconds, at least 1) and
    // QUILLON_TRANSFER_MIN_FREE_SPACE (bytes) taking their place when set, so that tests of
    // the bounds take seconds.
    static TransferBounds fromEnvironment();
};

}  // namespace platform
