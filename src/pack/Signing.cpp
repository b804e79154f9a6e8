#include "pack/Signing.h"

#include "pack/HostFiles.h"

bool SignImage(const Description& description, const std::string& path, std::string* fault) {
  std::string password;
  if (!EnvironmentValue(description.signingPasswordVariable.text.c_str(), &password)) {
    *fault = "set " + description.signingPasswordVariable.text + " to the password of " + description.signingKey.text;
    return false;
  }
  std::string passwordFile = TemporaryNameBeside(path) + ".pass", signedFile = TemporaryNameBeside(path) + ".signed";
  ScopedFile secret = OpenPrivateForWriting(passwordFile);
  bool written = secret.valid() && fwrite(password.data(), 1, password.size(), secret.get()) == password.size();
  written = CloseWritten(&secret) && written;
  if (!written) {
    RemoveFile(passwordFile);
    *fault = "cannot hand the password to osslsigncode";
    return false;
  }
  std::vector<std::string> arguments = {"osslsigncode", "sign", "-pkcs12", description.signingKey.text, "-readpass",
                                        passwordFile, "-h", "sha256", "-n", description.maker[kMakerProductName].text,
                                        "-i", description.maker[kMakerWebsite].text, "-in", path, "-out", signedFile};
  if (!description.timestampUrl.text.empty()) {
    arguments.push_back("-ts");
    arguments.push_back(description.timestampUrl.text);
  }
  int code = RunProgram(arguments);
  RemoveFile(passwordFile);
  if (code != 0 || !PutFileInPlace(signedFile, path)) {
    RemoveFile(signedFile);
    *fault = code < 0 ? "osslsigncode cannot be started: install it (Debian: osslsigncode)" : "osslsigncode could not sign it";
    return false;
  }
  return true;
}
