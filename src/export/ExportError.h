#pragma once

#include <stdexcept>

// Raised by the writers when a file cannot be made or written, or when the
// grid holds more than the chosen format can carry.
class ExportError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
