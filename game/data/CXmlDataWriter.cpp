// The "data" writer: header, rows grouped by element name, closing tag, optionally transformed.
#include "data/CXmlDataWriter.h"

#include <algorithm>
#include <cstdio>

#include "platform/AtomicFile.h"
#include "platform/Log.h"
#include "platform/Paths.h"

namespace tilvan
{

namespace
{
// Rows write every declared attribute up to this many, even without values.
const size_t kMinimumAttributes = 25;
} // namespace

CXmlDataWriter::~CXmlDataWriter()
{
    if (mOpen && !Close())
        Olvarn::LogWrite(Olvarn::LogLevel::Error, "%s", mLastError.c_str());
}

void CXmlDataWriter::DeclareElement(const std::string& element)
{
    mSchema[element];
}

void CXmlDataWriter::DeclareAttribute(const std::string& element, const std::string& attribute)
{
    mSchema[element].push_back(attribute);
}

bool CXmlDataWriter::Open(const std::string& path, bool crypted, const std::string& encoding)
{
    if (mOpen)
        Close();
    mRows.clear();
    mCrypted = crypted;
    mPath = Olvarn::Paths::ToNative(path);
    size_t slash = mPath.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !Olvarn::Paths::MakeFolders(mPath.substr(0, slash))) {
        mLastError = "cannot make the folder of " + mPath;
        return false;
    }
    if (encoding.empty())
        mHeader = "<?xml version=\"1.0\"?>\n<data>\n";
    else
        mHeader = "<?xml version=\"1.0\" encoding=\"" + EscapeAttributeValue(encoding) + "\"?>\n<data>\n";
    mOpen = true;
    mLastError.clear();
    return true;
}

int CXmlDataWriter::WriteRowTexts(const std::string& element, const std::vector<std::string>& texts)
{
    auto declared = mSchema.find(element);
    if (!mOpen || declared == mSchema.end())
        return 0;
    const std::vector<std::string>& attributes = declared->second;
    std::string row = "\t<" + element;
    const size_t limit = std::max(texts.size(), kMinimumAttributes);
    for (size_t i = 0; i < limit && i < attributes.size(); ++i)
        AppendAttribute(row, attributes[i], i < texts.size() ? texts[i] : std::string());
    row += "/>\n";
    std::vector<std::string>& rows = mRows[element];
    rows.push_back(std::move(row));
    return static_cast<int>(rows.size()) - 1;
}

bool CXmlDataWriter::Close()
{
    if (!mOpen)
        return true;
    std::string file = mHeader;
    for (const auto& [element, rows] : mRows)
        for (const std::string& row : rows)
            file += row;
    file += "</data>";
    if (mCrypted)
        XmlDataCrypt(file);
    mRows.clear();
    mOpen = false;
    std::string error;
    if (!Olvarn::WriteFileAtomically(mPath, file, &error)) {
        mLastError = error;
        return false;
    }
    mLastError.clear();
    return true;
}

void CXmlDataWriter::AppendAttribute(std::string& row, const std::string& name, const std::string& value)
{
    row += ' ';
    row += name;
    row += "=\"";
    row += EscapeAttributeValue(value);
    row += '"';
}

void CXmlDataWriter::AppendPointAttribute(std::string& row, const std::string& name, float x, float y)
{
    AppendAttribute(row, name, DataValueText(CFloatPair{x, y}));
}

std::string EscapeAttributeValue(const std::string& value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        unsigned char b = static_cast<unsigned char>(c);
        switch (c) {
        case '\0':
            return out;
        case '"':
            out += "&quot;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        default:
            if (b < 0x20) {
                out += "&#" + std::to_string(b) + ";";
            } else {
                out += c;
            }
        }
    }
    return out;
}

} // namespace tilvan
