// SPDX-License-Identifier: Apache-2.0
// The interfaces of the maker's tool libraries Gorsla, Gorslb and Gorsld, as the wizard and
// the component reach them through the component runtime. Each library is a server library
// of its own; the ProgIDs below name its classes.
// Part of platform/gorsl; depends on platform/com.
//
// Conventions of every operation below:
//  - Paths passed in and handed out are Windows-style ("C:\windows\temp\x.tmp", "\\server\share\x");
//    they are mapped through the prefix (platform::prefix::toNative) where a file is touched.
//  - Texts are UTF-8; "characters" are code points, not bytes.
//  - Errors are platform::com::Error with the host's numbers: 5 invalid argument, 53 file not
//    found, 58 file already exists, 75 path/file access error, 76 path not found, and the
//    object-defined numbers of platform/gorsl/Errors.h.
//  - Arguments that the callers pass as fixed values without meaning to them are named
//    `reserved`; they are accepted and not interpreted.
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

// Gorsla's global object: text, path and file operations.
struct IGorsla : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A11");

    // Readiness: reading it proves the library is installed and registered. Always True.
    virtual Boolean Ready() = 0;
    // Remembers the running program (name "Quillon", version "1.0", its folder and file name)
    // for the rest of the process; a later announcement replaces an earlier one. Never fails.
    virtual void AnnounceProgram(const std::string& name, const std::string& version, const std::string& folder,
                                 const std::string& fileName) = 0;
    // The text before the first space (all of it when there is none). Only the space
    // character separates; tabs and quotes are ordinary characters.
    virtual std::string FirstWord(const std::string& text) = 0;
    // The text after the first space, untrimmed (empty when there is none).
    virtual std::string RestAfterFirstWord(const std::string& text) = 0;
    // The text without its first / last `count` characters; empty when count reaches the
    // length. A negative count raises error 5.
    virtual std::string DropLeading(const std::string& text, std::int32_t count) = 0;
    virtual std::string DropTrailing(const std::string& text, std::int32_t count) = 0;
    // True when a file (not a folder) exists at the path; False for an empty path.
    virtual Boolean FileExists(const std::string& path) = 0;
    // The part after the last "\" or "/" ("x.zip" of "a\b/x.zip"; the whole text when it has
    // no separator). `reserved` must be 0; anything else raises error 5.
    virtual std::string FileNamePart(const std::string& path, std::int32_t reserved) = 0;
    // The part before the last separator ("C:\a" of "C:\a\b.txt"), keeping a root whole
    // ("C:\" of "C:\b.txt", "\" of "\b.txt"); empty when the path has no separator.
    virtual std::string FolderPart(const std::string& path) = 0;
    // Afterwards the folder and any missing parents exist. On failure (a file in the way,
    // no permission) raises error 75 or 76; folders made before the failure stay.
    virtual void CreateFolder(const std::string& path) = 0;
    // Copies the file, keeping its permissions and modification time. With overwrite True an
    // existing destination is replaced; with False an existing destination is left alone and
    // nothing is copied. Never raises: callers judge the outcome by FileExists of the
    // destination. The copy is written under a temporary name and renamed into place, so a
    // failed copy (missing source, full disk) leaves no partial destination and an existing
    // destination untouched.
    virtual void CopyFile(const std::string& source, const std::string& destination, Boolean overwrite) = 0;
    // Afterwards the file holds exactly the text's bytes (written under a temporary name,
    // then renamed into place). On failure raises error 75 or 76 naming the path; an
    // existing file is then unchanged.
    virtual void WriteTextFile(const std::string& path, const std::string& text) = 0;
    // The Boolean passed on: True (-1) for any non-zero value, False (0) for 0.
    virtual Boolean TruthValue(Boolean value) = 0;
    // Afterwards an empty file exists at the path (an existing file is emptied), so that its
    // short path can be taken. On failure raises error 75 or 76.
    virtual void PrepareOutputFile(const std::string& path) = 0;
    // The pieces between the separators, in order: "a;;b" gives "a", "", "b"; an empty text
    // gives an empty collection; an empty separator gives the whole text as one piece.
    // `reserved` must be 0; anything else raises error 5.
    virtual Ptr<IStringCollection> SplitText(const std::string& text, const std::string& separator,
                                             std::int32_t reserved) = 0;
    // The text of a fixed-length 8-bit character field up to its first NUL (all of it when it
    // has none). Bytes that are not UTF-8 are read as Windows-1252.
    virtual std::string FixedTextToString(const std::string& field) = 0;
    // True when one of the items equals the text exactly; False for no collection.
    virtual Boolean CollectionContains(IStringCollection* collection, const std::string& text) = 0;
};

// Gorslb's global object: registry, special folders, shell, file versions, restart.
struct IGorslb : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A12");

    // Readiness: always True.
    virtual Boolean Ready() = 0;
    // Hives are the predefined key handles as signed 32-bit numbers (HKLM is -2147483646);
    // another number raises error 5. The value's data as text (numbers in decimal, binary as
    // hex digit pairs, multi-strings joined by "\0"); `defaultValue` when the key or the
    // value is missing. The empty value name reads the key's default value.
    virtual std::string RegistryRead(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                                     const std::string& defaultValue) = 0;
    // Stores the value, creating the key and its parents. `type` is the registry type code:
    // 1 REG_SZ, 2 REG_EXPAND_SZ, 3 REG_BINARY (hex digit pairs), 4 REG_DWORD, 7 REG_MULTI_SZ
    // ("\0"-separated), 11 REG_QWORD (decimal or 0x-hex). An unknown hive or type, or a text
    // that does not fit the type, raises error 5 and stores nothing.
    virtual void RegistryWrite(std::int32_t hive, const std::string& keyPath, const std::string& valueName,
                               const std::string& value, std::int32_t type) = 0;
    // Afterwards the key and its parents exist. An unknown hive raises error 5.
    virtual void CreateKey(std::int32_t hive, const std::string& keyPath) = 0;
    // The folder's Windows-style path, without a trailing separator, for the folder codes
    // 6 Favorites, 36 Windows, 37 System, 38 Program Files, 43 Common Files and 1003 the
    // install temp folder. 1003 is made fresh under "C:\windows\temp" at the first call of the
    // process, is the same folder on every later call, and is removed with its contents when
    // the process ends (a folder left by a process that died is removed at the next first
    // call). Another code raises error 5; a folder that cannot be made raises error 75.
    virtual std::string SpecialFolder(std::int32_t code, std::int32_t reserved1, std::int32_t reserved2) = 0;
    // A path in "C:\windows\temp" for a temporary file whose name starts with `name`
    // ("Quillon-<token>.tmp"); no file exists there at the time of the call and the call
    // creates none. Never the same path twice, within a process or across processes.
    virtual std::string TempFileName(const std::string& name) = 0;
    // Afterwards no file is at the path; a missing file is no error. A folder at the path, or
    // a file that cannot be removed, raises error 75 and leaves it in place.
    virtual void DeleteFile(const std::string& path) = 0;
    // Deletes the file or folder through the shell. `flags` are the shell's operation flags:
    // with 0x40 (allow undo) set, as in 80 = 0x50, it moves to the user's freedesktop.org
    // trash, from where it can be restored; without it, it is deleted for good. The last path
    // component may hold the wildcards * and ?. Nothing to delete raises error 53; a failed
    // move raises error 75 and leaves the file where it was.
    virtual void ShellDelete(const std::string& path, std::int32_t flags, std::int32_t reserved) = 0;
    // One line naming the operating system: os-release's PRETTY_NAME and uname's system,
    // release and machine, e.g. "Debian GNU/Linux 12 (bookworm) (Linux 6.1.0-18-amd64 x86_64)".
    virtual std::string SystemDescription() = 0;
    // Compares the fixed file versions (VS_FIXEDFILEINFO) of two PE images: 1 when the new
    // file's version is higher, 0 when both are equal, -1 when the existing file's is higher.
    // A missing file raises error 53; a file without a readable version resource raises the
    // object-defined error kVersionNotReadable ("version not readable: <path> (<why>)").
    virtual std::int32_t CompareFileVersions(const std::string& existingFile, const std::string& newFile) = 0;
    // Opens the file, program or address without waiting for it: an address (scheme://...,
    // mailto:) or a document goes to the desktop's opener (xdg-open; QUILLON_OPEN_COMMAND
    // replaces it, a shell command to which the target is appended as its last argument); a
    // program (an executable file without extension or with .exe, .com, .bat, .cmd or .sh; a
    // bare name is looked up in the System and Windows folders and on PATH, ".exe" appended
    // where needed) is started directly with `parameters` split by the
    // Windows command-line rules, in `directory` when that is not empty. `verb` is "" or
    // "open"; `ownerWindow` and `showMode` have no meaning here. True when the program or the
    // opener was started; False when it could not be (nothing found, unknown verb).
    virtual Boolean ShellOpen(const std::string& file, std::int32_t ownerWindow, const std::string& verb,
                              const std::string& parameters, const std::string& directory, std::int32_t showMode) = 0;
    // Replaces the target by the new file. When no running process has the target open or
    // mapped (as fuser sees it), the new file is renamed over the target at once and is gone
    // from its old path afterwards. Otherwise the pair is queued for the next start
    // (`quillon-prefix boot`) in HKLM\SYSTEM\CurrentControlSet\Control\Session Manager, value
    // PendingFileRenameOperations, and the new file stays where it is. A missing new file
    // raises error 53; a failed rename raises error 75 and leaves both files as they were.
    virtual void ReplaceFile(const std::string& target, const std::string& newFile) = 0;
    // The second step of a replacement left for the next start: moves the new file beside
    // the target under a hidden name (into "C:\windows\temp" when the target's folder does not
    // take it) and makes the queued pair take its source from there, so the replacement still
    // happens after the new file's own folder (often the install temp folder) is gone.
    // Afterwards the new file is no longer at its old path. No queued replacement from this
    // new file raises error 5; a failed move raises error 75, leaving file and queue as they were.
    virtual void CompleteRestartReplacement(const std::string& newFile) = 0;
    // A name never handed out before, in this process or another: "Quillon-<token>".
    virtual std::string UniqueName() = 0;
    // The text with the library's placeholders replaced; letter case does not matter, as in
    // the host's environment variables, and any other "%name%" stays as it is:
    //   %windir%, %SystemRoot%            C:\windows
    //   %SystemDir%                       C:\windows\system32
    //   %temp%, %tmp%                     C:\windows\temp
    //   %ProgramFiles%                    C:\Program Files
    //   %CommonProgramFiles%, %CommonFiles%   C:\Program Files\Common Files
    //   %SystemDrive%                     C:
    virtual std::string ExpandPlaceholders(const std::string& text) = 0;
    // A form of the path without blanks that names the same existing file or folder. A path
    // without blanks comes back unchanged; otherwise the folder part (or, when the name
    // itself has blanks, the file) is reached through a link without blanks in a folder of
    // the prefix that lives as long as the process. A missing path raises error 53.
    virtual std::string ShortPath(const std::string& path) = 0;
    // The window that owns the restart question; 0 (no window) on this platform.
    virtual std::int32_t OwnerWindow() = 0;
    // Asks the user whether to restart now (a question box, "Nein" the default, so that a run
    // nobody answers never restarts) and on "Ja" restarts the computer (mode 2, reboot) by
    // running QUILLON_RESTART_COMMAND through the shell, `systemctl reboot` when it is not set,
    // and waiting for it. True when the command ran and exited with status 0 (a command still
    // running after 120 s counts as failed and is left running); False when the user declined.
    // Another mode raises error 5.
    virtual Boolean RestartComputer(std::int32_t ownerWindow, std::int32_t reserved, std::int32_t mode) = 0;
};

// Gorslb's process runner: one per program start.
struct IProcessRunner : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A13");

    // Runs the program (a Windows-style path mapped through the prefix, or a bare name looked
    // up as ShellOpen does) with the argument text split by the Windows command-line rules,
    // and returns when it has ended. True only when it started and exited with status 0.
    // The program inherits this process's environment, working directory and standard streams.
    virtual Boolean Run(const std::string& program, std::int32_t reserved1, std::int32_t reserved2,
                        std::int32_t reserved3, const std::string& arguments, std::int32_t reserved4,
                        std::int32_t reserved5, std::int32_t reserved6) = 0;
};

struct RegistryItem {
    std::string Name;
    std::string Data;  // the value's data as text; empty for subkeys
};

struct IRegistryItems : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A14");
    virtual std::int32_t Count() = 0;
    // 1-based; an index outside 1..Count raises error 9.
    virtual RegistryItem Item(std::int32_t index) = 0;
    // All items in order, for enumeration.
    virtual std::vector<RegistryItem> Items() = 0;
};

// Gorslb's registry key lister: one per listing.
struct IRegistryKeyLister : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A15");
    // Takes a snapshot of the key's subkeys (in the store's case-insensitive name order)
    // and/or values (in creation order). A missing key lists as empty and is no error; an
    // unknown hive raises error 5.
    virtual void Open(std::int32_t hive, const std::string& keyPath, Boolean listSubkeys, Boolean listValues) = 0;
    // The snapshot; asking for a list that Open did not take raises error 5.
    virtual Ptr<IRegistryItems> Subkeys() = 0;
    virtual Ptr<IRegistryItems> Values() = 0;
};

// Gorsld's Internet client, used in the order Open, Connect, ChangeDirectory, GetFile,
// LastErrorText, Close. One client holds one connection to one server, reused by its calls.
// Limits: QUILLON_FTP_CONNECT_TIMEOUT seconds (30) for the connection and each server reply,
// and the transfer bounds of platform/support/TransferBounds.h for every GetFile.
//
// Connect's services, with its `flags`: FTP, FTP with kConnectSecure (explicit TLS: AUTH TLS,
// the data connections protected too; a server without TLS fails the connect), and HTTP with
// kConnectSecure (HTTPS; plain HTTP is not offered). Certificates are always verified.
inline constexpr std::int32_t kServiceFtp = 1;
inline constexpr std::int32_t kServiceHttp = 3;
inline constexpr std::int32_t kConnectSecure = 0x00800000;
//
// GetFile's `flags`: bit 1 transfers as text (else binary); kTransferDescriptor marks the file
// as a descriptor (size and deadline bounds), without it the file counts as an archive (free
// space bound).
inline constexpr std::int32_t kTransferDescriptor = 0x100;
struct IInternetClient : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A16");
    // True when the Internet functions are available. `accessType` 1 connects directly (no
    // proxy, whatever the environment says), 3 through `proxy`, 0 as the environment says.
    virtual Boolean Open(const std::string& agent, std::int32_t accessType, const std::string& proxy,
                         std::int32_t reserved) = 0;
    // Logs on to host:port with the user name and password: FTP (port 0 means 21; an empty
    // user name logs on anonymously) or HTTPS (port 0 means 443; the user name and password
    // as basic authentication when a user name is given), see the services above. True when
    // logged on; the current directory is then the logon directory (HTTPS: the root).
    virtual Boolean Connect(std::int32_t service, const std::string& host, std::int32_t port,
                            const std::string& userName, const std::string& password, std::int32_t reserved1,
                            std::int32_t reserved2) = 0;
    // Changes the current directory; True when the server has the directory (HTTPS has no
    // directories to ask for: always True, a wrong one shows at GetFile). Backslashes
    // count as slashes and repeated separators as one; a relative path starts from the
    // current directory. On failure the current directory stays.
    virtual Boolean ChangeDirectory(const std::string& path) = 0;
    // Fetches the remote file (paths as in ChangeDirectory, so "\/file" is "/file") to the
    // local path. With failIfExists True an existing local file fails the call and stays
    // untouched. The file arrives under a temporary name beside the local path and is renamed
    // into place only when the whole transfer succeeded, so a failed call leaves no partial
    // file. `flags` as above. A transfer beyond its bounds fails like any other, leaving no file.
    // An archive whose transfer broke off is resumed where it stopped, up to three times.
    virtual Boolean GetFile(const std::string& remotePath, const std::string& localPath, Boolean failIfExists,
                            std::int32_t reserved1, std::int32_t flags, std::int32_t reserved2) = 0;
    // The message of the last failure of this client (libcurl's own text, with the server's
    // reply where there was one); empty before any failure.
    virtual std::string LastErrorText() = 0;
    // Ends the FTP session (QUIT) and closes the connection; nothing when not connected.
    virtual void Close() = 0;
    // The certificate authorities (a PEM file; a path as the registry gives it, Windows-style
    // through the prefix or POSIX absolute) that the TLS servers of later connects are
    // verified against instead of the system's store; an empty path: the system's store.
    virtual void TrustCertificateAuthorities(const std::string& caFile) = 0;
};

// The Internet client's events; the client is an event source (platform::com::IEventSource).
// Raised inside GetFile, on the caller's thread, while the file arrives.
struct IInternetClientEvents : Unknown {
    static constexpr Guid iid = Guid::literal("6B0D2A41-93C4-4E6F-A1D2-7E3B5C9F0A17");
    // Bytes of the file received so far, and the file's size when the server told it (else
    // 0). Raised when either has changed. An error it throws ends the transfer as failed and
    // reaches the caller of GetFile.
    virtual void Progress(std::int64_t bytesReceived, std::int64_t bytesTotal) = 0;
};

}  // namespace gorsl
