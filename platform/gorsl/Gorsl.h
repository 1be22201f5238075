// The interfaces of the maker's tool libraries Gorsla, Gorslb and Gorsld, as the wizard and
// the component reach them through the component runtime. Each library is a server library
// of its own; the ProgIDs below name its classes.
// Part of platform/gorsl; depends on platform/com.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/Collection.h"
#include "platform/com/Conversion.h"
#include "platform/com/Unknown.h"

namespace gorsl {

using platform::com::Boolean;
using platform::com::Guid;
using platform::com::IStringCollection;
using platform::com::Ptr;
using platform::com::Unknown;

inline constexpr const char* kGorslaProgId = "Gorsla.Tools";
inline constexpr const char* kGorslbProgId = "Gorslb.System";
inline constexpr const char* kProcessRunnerProgId = "Gorslb.ProcessRunner";
inline constexpr const char* kKeyListerProgId = "Gorslb.RegistryKeyLister";
inline constexpr const char* kInternetClientProgId = "Gorsld.InternetClient";

// Gorsla's global object: text, path and file operations. Paths are Windows-style and are
// mapped through the prefix at the file operation.
struct IGorsla : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A11");

    // Readiness: reading it proves the library is installed and registered.
    virtual Boolean Ready() = 0;
    virtual void AnnounceProgram(const std::string& name, const std::string& version, const std::string& folder,
                                 const std::string& fileName) = 0;
    // The text before the first blank (all of it when there is none).
    virtual std::string FirstWord(const std::string& text) = 0;
    // The text after the first blank (empty when there is none), untrimmed.
    virtual std::string RestAfterFirstWord(const std::string& text) = 0;
    virtual std::string DropLeading(const std::string& text, std::int32_t count) = 0;
    virtual std::string DropTrailing(const std::string& text, std::int32_t count) = 0;
    virtual Boolean FileExists(const std::string& path) = 0;
    virtual std::string FileNamePart(const std::string& path, std::int32_t flags) = 0;
    virtual std::string FolderPart(const std::string& path) = 0;
    // The folder and any missing parents exist afterwards.
    virtual void CreateFolder(const std::string& path) = 0;
    // overwrite True replaces an existing destination.
    virtual void CopyFile(const std::string& source, const std::string& destination, Boolean overwrite) = 0;
    // Raises an error when the file cannot be written.
    virtual void WriteTextFile(const std::string& path, const std::string& text) = 0;
    virtual Boolean TruthValue(Boolean value) = 0;
    virtual void PrepareOutputFile(const std::string& path) = 0;
    virtual Ptr<IStringCollection> SplitText(const std::string& text, const std::string& separator,
                                             std::int32_t flags) = 0;
    // The text of a fixed-length character field up to its first NUL.
    virtual std::string FixedTextToString(const std::string& field) = 0;
    virtual Boolean CollectionContains(IStringCollection* collection, const std::string& text) = 0;
};

// Gorslb's global object: registry, special folders, shell, file versions, restart.
struct IGorslb : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A12");

    virtual Boolean Ready() = 0;
    // Hives are the predefined key handles as signed 32-bit numbers (HKLM is -2147483646).
    virtual std::string RegistryRead(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                                     const std::string& defaultValue) = 0;
    virtual void RegistryWrite(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                               const std::string& value, std::int32_t type) = 0;
    virtual void CreateKey(std::int32_t hive, const std::string& keyPath) = 0;
    virtual std::string SpecialFolder(std::int32_t code, std::int32_t reserved1, std::int32_t reserved2) = 0;
    virtual std::string TempFileName(const std::string& name) = 0;
    virtual void DeleteFile(const std::string& path) = 0;
    virtual void ShellDelete(const std::string& path, std::int32_t flags, std::int32_t reserved) = 0;
    virtual std::string SystemDescription() = 0;
    // Above 0 when the new file's version is higher, 0 when equal, below 0 when older.
    virtual std::int32_t CompareFileVersions(const std::string& existingFile, const std::string& newFile) = 0;
    virtual void ShellOpen(const std::string& file, std::int32_t ownerWindow, const std::string& verb,
                           const std::string& parameters, const std::string& directory, std::int32_t showMode) = 0;
    virtual void ReplaceFile(const std::string& target, const std::string& newFile) = 0;
    virtual void CompleteRestartReplacement(const std::string& newFile) = 0;
    virtual std::string UniqueName() = 0;
    virtual std::string ExpandPlaceholders(const std::string& text) = 0;
    virtual std::string ShortPath(const std::string& path) = 0;
    virtual std::int32_t OwnerWindow() = 0;
    virtual Boolean RestartComputer(std::int32_t ownerWindow, std::int32_t reserved, std::int32_t mode) = 0;
};

// Gorslb's process runner: one per program start.
struct IProcessRunner : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A13");

    // Runs the program with the argument text and waits for it to end. True when it started
    // and exited with status 0.
    virtual Boolean Run(const std::string& program, std::int32_t a1, std::int32_t a2, std::int32_t a3,
                        const std::string& arguments, std::int32_t b1, std::int32_t b2, std::int32_t b3) = 0;
};

struct RegistryItem {
    std::string Name;
    std::string Data;  // the value's data as text; empty for subkeys
};

struct IRegistryItems : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A14");
    virtual std::int32_t Count() = 0;
    virtual RegistryItem Item(std::int32_t index) = 0;  // 1-based
    virtual std::vector<RegistryItem> Items() = 0;      // for enumeration, in order
};

// Gorslb's registry key lister: one per listing.
struct IRegistryKeyLister : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A15");
    // A missing key opens as empty; never raises for it.
    virtual void Open(std::int32_t hive, const std::string& keyPath, Boolean listSubkeys, Boolean listValues) = 0;
    virtual Ptr<IRegistryItems> Subkeys() = 0;
    virtual Ptr<IRegistryItems> Values() = 0;
};

// Gorsld's Internet client, used in the order Open, Connect, ChangeDirectory, GetFile,
// LastErrorText, Close.
struct IInternetClient : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A16");
    virtual Boolean Open(const std::string& agent, std::int32_t accessType, const std::string& proxy,
                         std::int32_t flags) = 0;
    virtual Boolean Connect(std::int32_t service, const std::string& host, std::int32_t port,
                            const std::string& userName, const std::string& password, std::int32_t flags,
                            std::int32_t context) = 0;
    virtual Boolean ChangeDirectory(const std::string& path) = 0;
    virtual Boolean GetFile(const std::string& remotePath, const std::string& localPath, Boolean failIfExists,
                            std::int32_t attributes, std::int32_t flags, std::int32_t context) = 0;
    virtual std::string LastErrorText() = 0;
    virtual void Close() = 0;
};

}  // namespace gorsl
