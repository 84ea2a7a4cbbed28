#pragma once

// The console's output code page, set for as long as this object lives and then given back,
// also when Ctrl+C or Ctrl+Break ends the process: the console belongs to the user's shell,
// which reads what later programs print in the code page it had before.
class ConsoleOutputCodePage {
public:
    explicit ConsoleOutputCodePage(unsigned codePage);
    ~ConsoleOutputCodePage();
    ConsoleOutputCodePage(const ConsoleOutputCodePage&) = delete;
    ConsoleOutputCodePage& operator=(const ConsoleOutputCodePage&) = delete;

private:
    unsigned m_previous; // 0: no console, or it could not be changed
};
