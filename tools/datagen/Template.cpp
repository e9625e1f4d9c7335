// A recursive-descent evaluator for the fields of art templates.
#include "Template.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Util.h"

namespace datagen
{

namespace
{

class Parser
{
public:
    Parser(const std::string& text, const Variables& vars) : mText(text), mVars(vars) {}

    double Run()
    {
        double v = Sum();
        Skip();
        if (mAt != mText.size())
            Error("unexpected '" + mText.substr(mAt) + "'");
        return v;
    }

private:
    void Skip()
    {
        while (mAt < mText.size() && std::isspace(static_cast<unsigned char>(mText[mAt])))
            ++mAt;
    }
    bool Take(char c)
    {
        Skip();
        if (mAt < mText.size() && mText[mAt] == c) {
            ++mAt;
            return true;
        }
        return false;
    }
    [[noreturn]] void Error(const std::string& what) { Fail("in \"${" + mText + "}\": " + what); }

    double Sum()
    {
        double v = Product();
        for (;;) {
            if (Take('+'))
                v += Product();
            else if (Take('-'))
                v -= Product();
            else
                return v;
        }
    }
    double Product()
    {
        double v = Unary();
        for (;;) {
            if (Take('*'))
                v *= Unary();
            else if (Take('/'))
                v /= Unary();
            else if (Take('%')) {
                double m = Unary();
                v = v - std::floor(v / m) * m;
            } else
                return v;
        }
    }
    double Unary()
    {
        if (Take('-'))
            return -Unary();
        if (Take('+'))
            return Unary();
        return Primary();
    }
    double Primary()
    {
        Skip();
        if (Take('(')) {
            double v = Sum();
            if (!Take(')'))
                Error("missing ')'");
            return v;
        }
        if (mAt < mText.size() && (std::isdigit(static_cast<unsigned char>(mText[mAt])) || mText[mAt] == '.')) {
            char* end = nullptr;
            double v = std::strtod(mText.c_str() + mAt, &end);
            mAt = static_cast<size_t>(end - mText.c_str());
            return v;
        }
        std::string name;
        while (mAt < mText.size() && (std::isalnum(static_cast<unsigned char>(mText[mAt])) || mText[mAt] == '_'))
            name += mText[mAt++];
        if (name.empty())
            Error("expected a value");
        if (Take('(')) {
            std::vector<double> args;
            if (!Take(')')) {
                do
                    args.push_back(Sum());
                while (Take(','));
                if (!Take(')'))
                    Error("missing ')'");
            }
            return Call(name, args);
        }
        if (name == "pi")
            return M_PI;
        auto it = mVars.find(name);
        if (it == mVars.end())
            Error("unknown name " + name);
        char* end = nullptr;
        double v = std::strtod(it->second.c_str(), &end);
        if (end == it->second.c_str() || *end)
            Error(name + " is not a number");
        return v;
    }
    double Call(const std::string& name, const std::vector<double>& a)
    {
        auto need = [&](size_t n) {
            if (a.size() != n)
                Error(name + " takes " + std::to_string(n) + " values");
        };
        if (name == "sin") {
            need(1);
            return std::sin(a[0]);
        }
        if (name == "cos") {
            need(1);
            return std::cos(a[0]);
        }
        if (name == "abs") {
            need(1);
            return std::fabs(a[0]);
        }
        if (name == "floor") {
            need(1);
            return std::floor(a[0]);
        }
        if (name == "min") {
            need(2);
            return std::min(a[0], a[1]);
        }
        if (name == "max") {
            need(2);
            return std::max(a[0], a[1]);
        }
        if (name == "mix") {
            need(3);
            return a[0] + (a[1] - a[0]) * a[2];
        }
        if (name == "clamp") {
            need(3);
            return std::min(std::max(a[0], a[1]), a[2]);
        }
        Error("unknown function " + name);
    }

    const std::string& mText;
    const Variables& mVars;
    size_t mAt = 0;
};

bool IsName(const std::string& text)
{
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    return true;
}

} // namespace

double Evaluate(const std::string& expression, const Variables& vars)
{
    return Parser(expression, vars).Run();
}

std::string FormatNumber(double value)
{
    if (std::fabs(value) < 5e-5)
        value = 0;
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    std::string s = text;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

std::string Expand(const std::string& text, const Variables& vars)
{
    std::string out;
    size_t at = 0;
    for (;;) {
        size_t open = text.find("${", at);
        if (open == std::string::npos)
            break;
        size_t close = text.find('}', open);
        if (close == std::string::npos)
            Fail("unterminated ${ in a template");
        out.append(text, at, open - at);
        std::string field = text.substr(open + 2, close - open - 2);
        auto it = vars.find(field);
        if (IsName(field) && it != vars.end())
            out += it->second;
        else
            out += FormatNumber(Evaluate(field, vars));
        at = close + 1;
    }
    out.append(text, at, std::string::npos);
    return out;
}

} // namespace datagen
