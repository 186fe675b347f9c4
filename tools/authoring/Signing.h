#pragma once
#include <string>

// Authenticode signatures (SHA-256) of setups and keb.dll, made and checked
// with osslsigncode.

struct SigningIdentity {
    std::string certificate;   // the certificate file (PEM or DER), with its chain
    std::string key;           // its private key
    std::string timestampUrl;  // an RFC 3161 time-stamping server; empty: none
};

// Signs the file in place. The description (the program's name in Windows'
// prompts) and the web address go into the signature. Throws
// std::runtime_error when osslsigncode fails.
void SignFile(const std::string& path, const SigningIdentity& identity, const std::string& description,
              const std::string& url);

struct SignatureCheck {
    bool present = false;  // the file carries a signature
    bool intact = false;   // the file is as it was signed: the digests match
    bool trusted = false;  // the signer's certificate chain ends at a trusted root
    std::string signer;    // the signing certificate's subject
    std::string problem;   // osslsigncode's reason when not intact or not trusted
};

// Checks the file's signature against the root certificates of caFile, or
// the system's when it is empty.
SignatureCheck CheckSignature(const std::string& path, const std::string& caFile);
