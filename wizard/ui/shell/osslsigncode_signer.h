// The installer signer of the Linux front: osslsigncode (Debian's package of
// that name), started without a shell as
//
//   osslsigncode sign -pkcs12 CERT [-readpass FILE] -n PRODUCT [-i URL]
//                     -time SECONDS -in UNSIGNED -out SIGNED
//
// The password is read by osslsigncode from its file, so it never shows in
// a command line that `ps` lists; standard input is /dev/null, so it never
// waits for one. What osslsigncode prints is kept, and its one telling line
// (not "Failed", not OpenSSL's error stack) goes into the report; the kind
// of failure is told from it: "Wrong password" or a PKCS#12 MAC that does
// not verify, a PKCS#12 file or key it cannot read, an output it cannot
// create. osslsigncode 2.5 (Debian 12) and 2.9 print these the same way.
#pragma once

#include "wizard/build/installer_signer.h"

namespace zk {

class OsslsigncodeSigner : public InstallerSigner {
public:
    std::string ToolName() const override { return "osslsigncode"; }
    // Paths and texts come in code page 1252 and reach osslsigncode as UTF-8.
    SigningReport Sign(const SignatureRequest& request) override;
};

}  // namespace zk
