#pragma once
// The payment gateway's side of the order envelope: base64 text of RSA PKCS#1 v1.5 blocks under
// the gateway's key pair (gateway-key.pem, whose public half the client's payment SDK carries).

#include <optional>
#include <string>

namespace standin {

// The order text, or nothing for an envelope that is not base64, not whole blocks, or any block
// that does not decrypt under the key.
std::optional<std::string> openGatewayEnvelope(const std::string& envelope);

// The payment service's signature of an order text (base64 of HMAC-SHA-256 under its secret), and
// the check of a text that ends in "&sign=<signature>".
std::string signOrderText(const std::string& text);
bool orderTextIsSigned(const std::string& signedText);

} // namespace standin
