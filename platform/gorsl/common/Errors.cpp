// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/common/Errors.h"

namespace gorsl {

platform::com::Error invalidArgument(const std::string& source, const std::string& what) {
    return {errc::InvalidArgument, source, platform::com::standardDescription(errc::InvalidArgument) + ": " + what};
}

platform::com::Error fileError(const std::string& source, const std::string& operation, const std::string& path,
                               std::error_code why, Missing missing) {
    std::int32_t number = errc::PathFileAccess;
    std::string kind = "Path/File access error";
    if (why == std::errc::no_such_file_or_directory && missing == Missing::File) {
        number = errc::FileNotFound;
        kind = "File not found";
    } else if (why == std::errc::no_such_file_or_directory || why == std::errc::not_a_directory) {
        number = errc::PathNotFound;
        kind = "Path not found";
    } else if (why == std::errc::file_exists) {
        number = errc::FileAlreadyExists;
        kind = "File already exists";
    }
    std::string description = kind + ": cannot " + operation + " " + path;
    if (why) description += " (" + why.message() + ")";
    return {number, source, description};
}

}  // namespace gorsl
