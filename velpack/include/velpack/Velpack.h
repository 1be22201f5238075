// SPDX-License-Identifier: Apache-2.0
// Velpack, the compression component: its five classes, their default and event interfaces
// with the members in interface order, and the enumerations of its type library.
// Clients create the classes through the component runtime by ProgID
// (platform::com::createObject<velpack::IZIPFile>("Velpack.ZIPFile")) and hold them as these
// interfaces. Depends on platform/com only; installed, the runtime's headers sit beside this one
// (velpack/platform/com/), so <velpack/Velpack.h> is the one include an outside program needs.
//
// The default interface of class X is named _X in the type library and IX here; its event
// interface __X is IXEvents (C++ reserves names that begin with an underscore and a capital).
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/Collection.h"
#include "platform/com/Conversion.h"
#include "platform/com/Creation.h"
#include "platform/com/Events.h"
#include "platform/com/Unknown.h"

namespace velpack {

using platform::com::Boolean;
using platform::com::Guid;
using platform::com::IStringCollection;
using platform::com::Ptr;
using platform::com::Unknown;

// ---- Enumerations (32-bit) ----
enum azCompressionLevels : std::int32_t { azcNone = 0, azcMinimum = 1, azcNormal = 2, azcMaximum = 3 };
enum azOverwriteConstants : std::int32_t { azoQuery = 10, azoAll = 11, azoNone = 12 };
enum azStructureConstants : std::int32_t { azsNone = 0, azsRelative = 1, azsAbsolute = 2 };
enum OVImplAlgoConstants : std::int32_t { oviacHuffman = 1 };

// ---- Identifiers ----
inline constexpr Guid kTypeLibraryId = Guid::literal("448C6546-7C11-49F9-88D4-6DED302FCDBD");
inline constexpr Guid CLSID_ZIPFile = Guid::literal("11DB8F03-663C-4819-9533-DAEAC974F906");
inline constexpr Guid CLSID_PatchModule = Guid::literal("60FF37CB-4519-425E-975F-DB10F03F52BA");
inline constexpr Guid CLSID_CompressionAlgorithm = Guid::literal("A6EEF395-082A-4131-ACCE-D46705D2D727");
inline constexpr Guid CLSID_ACEFile = Guid::literal("0636C387-E244-4187-A248-E6B7A049C3A2");
inline constexpr Guid CLSID_RARFile = Guid::literal("F64D6434-E956-49F5-BB80-DC1B67AA9076");

// The earlier identifiers that ZIPFile still answers to, besides the current ones.
inline constexpr Guid IID_ZIPFile_v1 = Guid::literal("ADD8E395-D408-44CE-8780-8A3866C6A8D6");
inline constexpr Guid IID_ZIPFile_v2 = Guid::literal("3C2FA441-00E0-4F3D-9FF0-16FA392418C4");
inline constexpr Guid IID_ZIPFileEvents_v1 = Guid::literal("8C12EDF6-6F7E-4A03-8A99-6EF5FF343498");
inline constexpr Guid IID_ZIPFileEvents_v2 = Guid::literal("B5EB0210-6106-4B0C-ACCB-793AD28244F1");

inline constexpr const char* kZIPFileProgId = "Velpack.ZIPFile";
inline constexpr const char* kPatchModuleProgId = "Velpack.PatchModule";
inline constexpr const char* kCompressionAlgorithmProgId = "Velpack.CompressionAlgorithm";
inline constexpr const char* kACEFileProgId = "Velpack.ACEFile";
inline constexpr const char* kRARFileProgId = "Velpack.RARFile";

// ---- ZIPFile ----
struct IZIPFile : Unknown {
    static constexpr Guid iid = Guid::literal("BF01AAB2-4A9B-49ED-9C86-FB47C1119148");

    virtual void put_CompressionLevel(azCompressionLevels level) = 0;  // "Kompressionsdichte"
    virtual azCompressionLevels get_CompressionLevel() = 0;
    virtual void put_Recurse(Boolean recurse) = 0;  // "Sollen Unterverzeichnisse eingeschlossen werden?"
    virtual Boolean get_Recurse() = 0;
    virtual void put_ArchiveName(const std::string& name) = 0;  // "Name und Pfad  der ZIP-Datei"
    virtual std::string get_ArchiveName() = 0;
    virtual void put_ParentHwnd(std::int32_t hwnd) = 0;  // "Fenster-Handle des Parent-Fensters"
    virtual std::int32_t get_ParentHwnd() = 0;
    virtual void View() = 0;
    virtual void Delete(const std::string& Files = "") = 0;
    virtual std::int32_t Compress(const std::string& IncludeFiles = "", const std::string& ExcludeFiles = "") = 0;
    virtual std::int32_t Extract(const std::string& Destination = "", const std::string& IncludeFiles = "",
                                 const std::string& ExcludeFiles = "") = 0;
    virtual azOverwriteConstants get_Overwrite() = 0;
    virtual void put_Overwrite(azOverwriteConstants mode) = 0;
    virtual Boolean get_Span() = 0;
    virtual void put_Span(Boolean span) = 0;
    virtual azStructureConstants get_SaveStructure() = 0;
    virtual void put_SaveStructure(azStructureConstants mode) = 0;
    virtual Boolean get_BuildSFX() = 0;
    virtual void put_BuildSFX(Boolean build) = 0;
    virtual Ptr<IStringCollection> get_ZipContents() = 0;
    virtual void putref_ZipContents(Ptr<IStringCollection> contents) = 0;
    virtual Boolean get_RestoreStructure() = 0;
    virtual void put_RestoreStructure(Boolean restore) = 0;
};

// __ZIPFile: the 17 events in dispatch order. Default bodies do nothing, so a sink
// overrides only what it wants.
struct IZIPFileEvents : Unknown {
    static constexpr Guid iid = Guid::literal("F842D120-DFA0-4442-BFD6-D5F660150420");

    virtual void Searching(const std::string& /*Pattern*/, const std::string& /*Directory*/) {}
    virtual void ZipComment(const std::string& /*Comment*/) {}
    virtual void Zipping(const std::string& /*FileName*/, std::int32_t /*Size*/, std::int32_t /*BytesRead*/,
                         std::int16_t /*Percentage*/, std::int32_t /*FilesRemaining*/) {}
    virtual void Zipped(const std::string& /*FileName*/, std::int32_t /*Size*/, std::int32_t /*CompressedSize*/,
                        std::int16_t /*Ratio*/, std::int32_t /*FilesRemaining*/) {}
    virtual void Unzipping(const std::string& /*FileName*/, std::int32_t /*Size*/, std::int32_t /*BytesDecompressed*/,
                           std::int16_t /*Percentage*/) {}
    virtual void Unzipped(const std::string& /*FileName*/, std::int32_t /*Size*/, std::int32_t /*DecompressedSize*/,
                          std::int16_t /*Percentage*/) {}
    virtual void Testing(const std::string& /*FileName*/, std::int32_t /*Size*/, std::int32_t /*BytesDecompressed*/,
                         std::int16_t /*Percentage*/) {}
    virtual void Tested(const std::string& /*FileName*/, std::int32_t /*Size*/, std::int32_t /*DecompressedSize*/,
                        std::int16_t /*Percentage*/) {}
    virtual void Deleting(const std::string& /*FileName*/) {}
    virtual void Deleted(const std::string& /*FileName*/) {}
    virtual void DiskChange(std::int16_t /*RequiredDisk*/) {}
    virtual void View(const std::string& /*Path*/, const std::string& /*FileName*/, std::int32_t /*OriginalSize*/,
                      std::int32_t /*CompressedSize*/, std::int16_t /*Ratio*/, const std::string& /*AccessDate*/,
                      const std::string& /*AccessTime*/, const std::string& /*Attributes*/,
                      std::int16_t /*CompressionMethod*/, Boolean /*Encrypted*/, const std::string& /*CRC*/,
                      Boolean /*Binary*/, const std::string& /*CompressVersion*/,
                      const std::string& /*DecompressVersion*/) {}
    virtual void Error(const std::string& /*FileName*/, std::int32_t /*ErrorCode*/) {}
    virtual void Warning(const std::string& /*FileName*/, std::int32_t /*WarningCode*/) {}
    virtual void QueryOverwrite(const std::string& /*CurrentFilename*/, std::int32_t /*CurrentSize*/,
                                const std::string& /*CurrentDateTime*/, const std::string& /*NewFilename*/,
                                std::int32_t /*NewSize*/, const std::string& /*NewDateTime*/) {}
    virtual void Copying() {}
    virtual void Copied() {}
};

// ---- PatchModule ----
struct IPatchModule : Unknown {
    static constexpr Guid iid = Guid::literal("33E48632-963B-4290-ACB4-C3A98E95DBC0");

    virtual Boolean ApplyPatch(const std::string& OriginalFile, const std::string& PatchData, Boolean& RequiresReboot,
                               Boolean ShowErrors = platform::com::False,
                               Boolean HideProgress = platform::com::False) = 0;
};

// ---- CompressionAlgorithm ----
struct ICompressionAlgorithm : Unknown {
    static constexpr Guid iid = Guid::literal("C4EDD0B4-FEA4-4275-B90C-BB62D40C0042");

    // Strings here are byte strings: each char is one 8-bit code.
    virtual std::string QuickCompress(const std::string& Text, OVImplAlgoConstants Algorithm) = 0;
    virtual std::string QuickDecompress(const std::string& Text, OVImplAlgoConstants Algorithm) = 0;
};

// ---- RARFile and ACEFile (twins) ----
struct IArchiveFile : Unknown {
    virtual Ptr<IStringCollection> get_ArchiveContents() = 0;
    virtual void putref_ArchiveContents(Ptr<IStringCollection> contents) = 0;
    // 1 when the archive was worked through, -1 when it could not be opened.
    virtual std::int32_t Extract(const std::string& Destination = "", const std::string& Files = "") = 0;
    virtual void put_Password(const std::string& password) = 0;
    virtual std::string get_Password() = 0;
    virtual void put_ArchiveName(const std::string& name) = 0;
    virtual std::string get_ArchiveName() = 0;
    virtual Boolean View() = 0;
};

struct IArchiveFileEvents : Unknown {
    virtual void Extracting(const std::string& /*FileName*/) {}
    virtual void Extracted(const std::string& /*FileName*/, Boolean /*Success*/) {}
};

struct IRARFile : IArchiveFile {
    static constexpr Guid iid = Guid::literal("7957E804-5FF1-4550-92F5-7E3C1C10B224");
};
struct IRARFileEvents : IArchiveFileEvents {
    static constexpr Guid iid = Guid::literal("D345150D-AB84-40C3-B51B-90FC52F1F4A7");
};
struct IACEFile : IArchiveFile {
    static constexpr Guid iid = Guid::literal("93A77D2F-182C-4814-95A3-B7986D1E7674");
};
struct IACEFileEvents : IArchiveFileEvents {
    static constexpr Guid iid = Guid::literal("158111D2-21CD-4B6B-A32D-D598741C35E6");
};

}  // namespace velpack
