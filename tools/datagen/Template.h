// Fills "${...}" fields of an art template: a name alone gives its value as written, anything else
// is evaluated as arithmetic over the numeric values (+ - * / %, parentheses, pi, and the functions
// sin cos abs min max floor mix clamp).
#pragma once

#include <map>
#include <string>

namespace datagen
{

using Variables = std::map<std::string, std::string>;

double Evaluate(const std::string& expression, const Variables& vars);
std::string Expand(const std::string& text, const Variables& vars);
std::string FormatNumber(double value);

} // namespace datagen
