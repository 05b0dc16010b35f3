// Signing the installers as the build writes them: the port a build is
// given to put an Authenticode signature on an output, so that Windows and a
// device with a locked security policy see a known publisher.
//
// A signature is a certificate table appended to the end of the file, after
// the sections the build wrote; what the device and desktop installers read
// before it is unchanged. The build signs each output under its temporary
// name (build_run.h): the mobile installer first, before the desktop
// installer carries it, so that the copy ActiveSync brings to the device is
// the signed one; then the desktop installer and autorun.exe.
//
// The portable build never starts a program itself: the front hands it a
// signer (the Linux one runs osslsigncode, osslsigncode_signer.h).
#pragma once

#include <cstdint>
#include <string>

namespace zk {

// What a user asks of signing. Paths are the record's (code page 1252) as
// every path the build handles.
struct SigningSettings {
    // The PKCS#12 file (.pfx, .p12) holding the certificate and its key;
    // empty: the build signs nothing.
    std::string certificate;
    // A file holding the certificate's password alone (a line end after it
    // is no part of it); empty: the certificate is opened without one.
    std::string passwordFile;
    // The publisher's address the signature carries (shown with the product
    // name by Windows' prompts); may be empty.
    std::string url;

    bool enabled() const { return !certificate.empty(); }
};

// One file to sign.
struct SignatureRequest {
    const SigningSettings& settings;
    // The product the signature names: the project's title (the application's name).
    std::string productName;
    // The signing time, seconds since 1970: the build's "now", the instant of
    // SOURCE_DATE_EPOCH when set, so that signed builds are reproducible.
    std::int64_t unixTime = 0;
    std::string input;   // the unsigned file, left as it is
    std::string output;  // the signed copy to write (replaced if there)
};

// How a signing went: a closed set, 0 = signed.
enum class SigningResult {
    Signed,
    SignerMissing,        // the signing tool cannot be started (not installed)
    PasswordRefused,      // the certificate does not open with the password given
    CertificateUnusable,  // the certificate file is no PKCS#12 certificate with its key
    CannotWrite,          // the signed copy could not be written
    Failed,               // the tool failed otherwise (an input it cannot sign)
};

struct SigningReport {
    SigningResult result = SigningResult::Signed;
    // For a failure, what the system or the tool said, one line
    // ("No such file or directory"; "Failed to parse PKCS#12 file: a.pfx
    // (Wrong password?)").
    std::string message;
};

class InstallerSigner {
public:
    virtual ~InstallerSigner() = default;

    // The signing tool's name, for messages ("osslsigncode").
    virtual std::string ToolName() const = 0;

    // Writes request.output: request.input with an Authenticode signature
    // made with the certificate, naming the product and the address, at the
    // given time; the same inputs, key and time give the same bytes. Runs to
    // its end on the calling thread. On a failure request.output may be left
    // partly written: the caller removes it.
    virtual SigningReport Sign(const SignatureRequest& request) = 0;
};

}  // namespace zk
