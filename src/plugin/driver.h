// The lookup driver behind the two exported functions.
//
// RunBatch looks up every code of a batch and writes one result line per found book to the
// output file. It never throws: a failure that ends the batch (unreachable store, a page that
// is not UTF-8, an unreadable dictionary) first writes the lines found so far, then shows its
// message; the host binding, the dictionaries, the wait window and the download session are
// released on every way out, so the next batch starts clean.
#pragma once

#include <string>

namespace tarvo {

// The data directory of the latest batch (ends in a path separator; used as a plain prefix).
extern std::string DataDir;

inline constexpr char kScratchFileName[] = "Temp.html";

// `dataDir`, `outputFile`, `codeList`: zero-terminated Shift-JIS texts (codeList: one code a
// line); any may be null.
void RunBatch(const char* dataDir, const char* outputFile, const char* codeList);

// Copies the plug-in's identity into the five buffers, each cut to the low 16 bits of
// `bufferSize` minus one bytes and zero-terminated; writes nothing when those bits are 0.
void GetInfo(char* funcName, char* pluginTitle, char* pluginAuthor, char* pluginVersion, char* pluginCode,
             int bufferSize);

}  // namespace tarvo
