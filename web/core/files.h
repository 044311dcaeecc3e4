// The files the page reads and writes, by the desktop's own readers and
// writers: data files, polymer files. Bytes in and out as Uint8Array.
#pragma once

#include <emscripten/val.h>

#include <string>

namespace meltsim::web {

using emscripten::val;

// Read Data File: { ok, values (31 texts), message, polymerLinesDiffering }.
// The differing lines (15 to 27) compare the file's polymer lines with the
// polymer texts of `currentTexts`.
val ReadDataFile(const val& bytes, const std::string& fileName, const val& currentTexts);

// Save Data File: { ok, bytes, message }.
val SaveDataFile(const val& texts);

// Load a polymer file (or lines 15 to 27 of a data file):
// { ok, name, texts (13), fromDataFile, message }.
val ReadPolymerFile(const val& bytes, const std::string& fileName);

// The bytes of a polymer file.
val PolymerFileBytes(const std::string& name, const val& texts);

// The message a run would give for these 13 polymer texts, or null.
val CheckPolymer(const std::string& name, const val& texts);

// True when the 13 texts are the default polymer's.
bool IsDefaultPolymer(const val& texts);

}  // namespace meltsim::web
