#include "platform/win32/authenticode.h"

#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include "platform/win32/wide.h"
#include "platform/win32/win32_crypto.h"

namespace vandrel {

namespace {

// The pin as written in lower case, without blanks or colons around its pairs.
std::string PinText(std::string_view pin) {
  std::string out;
  for (char c : pin) {
    if (c == ' ' || c == ':') continue;
    out += (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return out;
}

}  // namespace

std::string SignatureProblem(const std::string& path, std::string_view publisher_sha256) {
  const std::wstring wide = Widen(path);
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = wide.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  LONG result = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  if (result == ERROR_SUCCESS) {
    // The signer's chain must end in a trusted root. Windows' verdict says
    // so already; Wine's accepts any root, so look at the chain itself too.
    CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (signer == nullptr || signer->pChainContext == nullptr ||
        (signer->pChainContext->TrustStatus.dwErrorStatus & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN)))
      result = CERT_E_UNTRUSTEDROOT;
    if (result == ERROR_SUCCESS && !publisher_sha256.empty()) {
      // The certificate that signed: the first of the signer's chain.
      CRYPT_PROVIDER_CERT* cert = ::WTHelperGetProvCertFromChain(signer, 0);
      std::string found;
      if (cert && cert->pCert && cert->pCert->pbCertEncoded) {
        Win32Crypto crypto;
        found = LowerHex(crypto.Sha256(std::as_bytes(
            std::span(cert->pCert->pbCertEncoded, static_cast<std::size_t>(cert->pCert->cbCertEncoded)))));
      }
      if (found != PinText(publisher_sha256)) {
        data.dwStateAction = WTD_STATEACTION_CLOSE;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
        return "The installer is signed by another publisher" + (found.empty() ? std::string(".") : " (" + found + ").");
      }
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  if (result == ERROR_SUCCESS) return "";
  switch (static_cast<unsigned long>(result)) {
    case static_cast<unsigned long>(TRUST_E_NOSIGNATURE): return "The file is not signed.";
    case static_cast<unsigned long>(TRUST_E_BAD_DIGEST): return "The file was changed after it was signed.";
    case static_cast<unsigned long>(CERT_E_UNTRUSTEDROOT): return "The signature's certificate is not trusted.";
    case static_cast<unsigned long>(CERT_E_EXPIRED): return "The signature's certificate has expired.";
    default: break;
  }
  char text[64];
  wsprintfA(text, "The signature was not accepted (0x%08lX).", static_cast<unsigned long>(result));
  return text;
}

}  // namespace vandrel
