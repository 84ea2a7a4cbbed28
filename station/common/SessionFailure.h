#pragma once

#include <stdexcept>

// The session cannot go on: a dialog could not be shown (the library refused the call or the
// platform failed), or a file of the output folder could not be written. Every answer until
// then is written.
class SessionFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
