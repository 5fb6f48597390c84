#pragma once
#include <stdexcept>
#include <string>
namespace klt {
class EVeltrak : public std::runtime_error { public: using std::runtime_error::runtime_error; };
class EVeltrakComError : public EVeltrak { public: using EVeltrak::EVeltrak; };
}
