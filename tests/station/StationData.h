#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "StationOptions.h"
#include "support/DialogDriver.h"
#include "support/FileExists.h"

// The committed scan and Tesseract's output for it, and what the tests share.

// A file of the committed test data (page.png, page.tsv, page.hocr).
std::wstring StationData(const std::wstring& name);

// Options for a session on the committed scan with both of Tesseract's outputs.
StationOptions CommittedScan(const std::wstring& out);

// The file's bytes; empty when it cannot be read.
std::string FileBytes(const std::wstring& path);
// Writes the bytes as the file's whole content, as they are; false when it cannot.
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// Writes the file whole, as the station writes its files; the test fails when it cannot.
void WriteFile(const std::wstring& path, const std::string& content);
// Copies the file over whatever `to` holds; the test fails when it cannot.
void Copy(const std::wstring& from, const std::wstring& to);
// When the file was last written; zero when it cannot be told.
FILETIME LastWritten(const std::wstring& path);
// The path in double quotes, for a command line.
std::wstring Quoted(const std::wstring& path);
std::vector<std::string> Lines(const std::string& text);

// Queues the operator's answer to the dialog captioned "... ordinal of total" (and perhaps
// more after a dash): waits for that dialog, then runs `answer`.
void AnswerWord(DialogDriver& driver, int ordinal, int total, const std::function<void(DialogDriver&)>& answer);
