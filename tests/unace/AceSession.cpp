// SPDX-License-Identifier: Apache-2.0
#include "tests/unace/AceSession.h"

namespace unace_test {

SessionResult runSession(const std::string& archive, std::int32_t operation, const std::string& destination,
                         const std::string& password) {
    SessionResult out;
    ACEOpenArchiveData open{};
    open.openMode = ACE_OPEN_EXTRACT;
    ACEHandle handle = ACEOpenArchive(&open, archive.c_str());
    out.openResult = static_cast<std::int32_t>(open.openResult);
    if (handle == nullptr) return out;
    if (!password.empty()) ACESetPassword(handle, password.c_str());
    ACEHeaderData header{};
    while ((out.lastHeaderResult = ACEReadHeader(handle, &header)) == ACE_SUCCESS) {
        EntryResult entry;
        entry.name = header.fileName;
        entry.flags = header.flags;
        entry.attributes = header.fileAttr;
        const std::string target = destination.empty() ? entry.name : destination + "\\" + entry.name;
        entry.result = ACEProcessFile(handle, operation, target.c_str());
        out.entries.push_back(entry);
    }
    ACECloseArchive(handle);
    return out;
}

}  // namespace unace_test
