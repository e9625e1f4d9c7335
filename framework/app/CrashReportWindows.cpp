// The crash report windows and the report upload.
#include <iostream>

#include "app/CrashReporter.h"
#include "app/HTTPTransfer.h"
#include "platform/VideoSystem.h"

namespace Olvarn
{

const char* const CrashReporter::kHeaderText = "An unexpected error has occured!";
const char* const CrashReporter::kDetailsHeaderText =
    "Please help out by providing as much information as you can about this crash.";
const char* const CrashReporter::kConnectionFailureText = "Failed to connect to server.";

std::string CrashReporter::BuildUploadRequest(const Upload& upload)
{
    const std::string boundary = "---------------------------7d3e1f30eec";
    std::string body;
    auto part = [&](const std::string& name, const std::string& value) {
        body +=
            "--" + boundary + "\r\n" + "Content-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    };
    for (const auto& [name, value] : upload.mFields)
        part(name, value);
    part("prod", upload.mProduct);
    part("version", upload.mVersion);
    part("usertext", upload.mUserText);
    part("errortitle", upload.mErrorTitle);
    part("errortext", upload.mErrorText);
    if (upload.mAttachFile) {
        body += "--" + boundary + "\r\n" +
                "Content-Disposition: form-data; name=\"demofile\"; filename=\"brisvek.dmo\"\r\n" +
                "Content-Type: application/octet-stream\r\n\r\n" + upload.mAttachment + "\r\n";
    }
    body += "--" + boundary + "--\r\n";
    std::string request = "POST /brondel_error.php HTTP/1.1\r\n";
    request += "Content-Type: multipart/form-data; boundary=" + boundary + "\r\n";
    request += "User-Agent: Mozilla/4.0 (compatible; brisvek)\r\n";
    request += "Host: " + upload.mServer + "\r\n";
    request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "Connection: close\r\n\r\n";
    return request + body;
}

void CrashReporter::UploadThread(const Upload& upload)
{
    HTTPTransfer::Global().SendRawRequest(upload.mServer, BuildUploadRequest(upload));
}

void CrashReporter::ShowCrashWindow(const std::string& title, const std::string& report)
{
    if (VideoSystem::IsHeadless()) {
        std::cerr << title << ": the program crashed; the report is in " << ReportPath() << "\n";
        return;
    }
}

} // namespace Olvarn
