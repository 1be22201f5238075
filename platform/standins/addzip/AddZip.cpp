// SPDX-License-Identifier: Apache-2.0
// The exported functions: each setter stores its value, each run call copies the settings
// and hands them to its runner, so that a message handler changing settings mid-run affects
// only the next run.
#include "platform/standins/addzip/AddZip.h"

#include "platform/standins/addzip/Settings.h"
#include "platform/standins/addzip/UnzipRunner.h"
#include "platform/standins/addzip/ZipRunner.h"

using addzip::unzipSettings;
using addzip::zipSettings;

namespace {
constexpr std::int16_t kTaken = -1;
constexpr std::int16_t kRefused = 0;

std::string text(const char* s) {
    return s ? s : "";
}
}  // namespace

std::int16_t addZIP_Initialise() {
    addzip::beginZipSettings();
    return kTaken;
}
std::int16_t addZIP_SetWindowHandle(std::int32_t window) {
    addzip::bindZipWindow(window);
    return kTaken;
}
std::int16_t addZIP_SetParentWindowHandle(std::int32_t window) {
    zipSettings().parentWindow = window;
    return kTaken;
}
std::int16_t addZIP_SetCompressionLevel(std::int16_t level) {
    return addzip::toLevel(level, zipSettings().level) ? kTaken : kRefused;
}
std::int16_t addZIP_Recurse(std::int16_t recurse) {
    zipSettings().recursion = recurse != 0 ? addzip::Recursion::On : addzip::Recursion::Off;
    return kTaken;
}
std::int16_t addZIP_ArchiveName(const char* name) {
    zipSettings().archiveName = text(name);
    return kTaken;
}
std::int16_t addZIP_Overwrite(std::int16_t mode) {
    return addzip::toOverwrite(mode, zipSettings().overwrite) ? kTaken : kRefused;
}
std::int16_t addZIP_Span(std::int16_t span) {
    zipSettings().span = span != 0;
    return kTaken;
}
std::int16_t addZIP_SaveStructure(std::int16_t mode) {
    return addzip::toStructure(mode, zipSettings().structure) ? kTaken : kRefused;
}
std::int16_t addZIP_BuildSFX(std::int16_t build) {
    zipSettings().buildSfx = build != 0;
    return kTaken;
}
std::int16_t addZIP_View(std::int16_t on) {
    auto& s = zipSettings();
    if (on != 0)
        s.mode = addzip::ZipMode::List;
    else if (s.mode == addzip::ZipMode::List)
        s.mode = addzip::ZipMode::Create;
    return kTaken;
}
std::int16_t addZIP_Delete(std::int16_t on) {
    auto& s = zipSettings();
    if (on != 0)
        s.mode = addzip::ZipMode::Delete;
    else if (s.mode == addzip::ZipMode::Delete)
        s.mode = addzip::ZipMode::Create;
    return kTaken;
}
std::int16_t addZIP_Include(const char* specs) {
    zipSettings().include = text(specs);
    return kTaken;
}
std::int16_t addZIP_Exclude(const char* specs) {
    zipSettings().exclude = text(specs);
    return kTaken;
}
std::int16_t addZIP() {
    const addzip::ZipSettings settings = zipSettings();
    return addzip::runZip(settings);
}

std::int16_t addUNZIP_Initialise() {
    addzip::beginUnzipSettings();
    return kTaken;
}
std::int16_t addUNZIP_SetWindowHandle(std::int32_t window) {
    addzip::bindUnzipWindow(window);
    return kTaken;
}
std::int16_t addUNZIP_ArchiveName(const char* name) {
    unzipSettings().archiveName = text(name);
    return kTaken;
}
std::int16_t addUNZIP_Overwrite(std::int16_t mode) {
    return addzip::toOverwrite(mode, unzipSettings().overwrite) ? kTaken : kRefused;
}
std::int16_t addUNZIP_RestoreStructure(std::int16_t restore) {
    unzipSettings().restoreStructure = restore != 0;
    return kTaken;
}
std::int16_t addUNZIP_Include(const char* specs) {
    unzipSettings().include = text(specs);
    return kTaken;
}
std::int16_t addUNZIP_Exclude(const char* specs) {
    unzipSettings().exclude = text(specs);
    return kTaken;
}
std::int16_t addUNZIP_ExtractTo(const char* directory) {
    unzipSettings().destination = text(directory);
    return kTaken;
}
std::int32_t addUNZIP() {
    const addzip::UnzipSettings settings = unzipSettings();
    return addzip::runUnzip(settings);
}
