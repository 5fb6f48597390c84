#pragma once
// The failures of head-unit communication. Every one reaches the user interface as its message;
// EVeltrakAbort is the silent one that only unwinds.
#include <string>

#include "device/VeltrakErrors.h"

namespace klt {

class EVeltrakTimeout : public EVeltrak {
public:
    explicit EVeltrakTimeout(const std::string& portText);
};

class EVeltrakTooOld : public EVeltrak {
public:
    explicit EVeltrakTooOld(const std::string& portText);
};

class EVeltrakTooNew : public EVeltrak {
public:
    explicit EVeltrakTooNew(const std::string& portText);
};

class EVeltrakPassword : public EVeltrak {
public:
    EVeltrakPassword();
};

// No head unit of the selected generation answered; the message names what was looked for.
class EVeltrakVersion : public EVeltrak {
public:
    using EVeltrak::EVeltrak;
    static EVeltrakVersion NoVeltrakV(const std::string& portText);
    static EVeltrakVersion NoVeltrakVI();
    static EVeltrakVersion NoVeltrakVII();
};

class EVeltrakInvalidRequest : public EVeltrak {
public:
    EVeltrakInvalidRequest() : EVeltrak("") {}
};

class EVeltrakAbort : public EVeltrak {
public:
    EVeltrakAbort() : EVeltrak("") {}
};

} // namespace klt
