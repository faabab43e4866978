#ifndef ZELTOOL_TOOL_ERROR_H
#define ZELTOOL_TOOL_ERROR_H

#include <stdexcept>
#include <string>

// Bad input: the message names the file and, where it helps, the element
// or line. zeltool prints it on standard error and exits with 1.
struct ToolError : std::runtime_error {
  explicit ToolError(const std::string& what) : std::runtime_error(what) {}
};

// Bad usage: zeltool prints it with the command's usage line and exits with 2.
struct UsageError : std::runtime_error {
  explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

#endif
