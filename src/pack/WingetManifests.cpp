#include "pack/WingetManifests.h"

#include "pack/HostFiles.h"
#include "pack/Sha256.h"

namespace {
const char kManifestVersion[] = "1.10.0";

// Every non-zero exit code of the setup that means a failure, with the nearest response winget
// knows and the README's words.
const struct {
  int code;
  const char *response, *words;
} kReturnCodes[] = {
    {1, "invalidParameter", "bad command line"},
    {2, "custom", "nowhere to install: nothing found and no /D="},
    {3, "custom", "something could not be written (or removed): nothing was written"},
    {4, "installInProgress", "another copy of the setup is running: it did nothing; retry"},
    {6, "custom", "uninstall: files changed since they were installed were left in place"},
    {7, "cancelledByUser", "uninstall: the user said no"},
    {8, "insufficientMemory", "out of memory"},
    {9, "custom", "the setup window could not be created"},
    {10, "custom", "nothing was installed, and not everything the run wrote could be taken back: see the log"},
};
const int kSuccessCodes[] = {5};  // installed: everything was written, but the log could not be

bool WriteText(const std::string& path, const std::string& text) {
  ScopedFile out = OpenForWriting(path);
  bool written = out.valid() && fwrite(text.data(), 1, text.size(), out.get()) == text.size();
  return CloseWritten(&out) && written;
}
}  // namespace

bool WriteWingetManifests(const Description& description, const std::string& setup, const std::string& architecture,
                          Refusals* refusals) {
  std::string sha256;
  if (!FileSha256(setup, &sha256)) {
    refusals->Add({setup, 0, ""}, "cannot be read back for its SHA-256");
    return false;
  }
  const std::string& id = description.packageId.text;
  const std::string& version = description.maker[kMakerVersion].text;
  const std::string& maker = description.maker[kMakerMakerName].text;
  const std::string& product = description.maker[kMakerProductName].text;
  const std::string& site = description.maker[kMakerWebsite].text;
  std::string head = "# Written by setup-pack for " + FileNameOf(setup) + " " + version + "; schema " + kManifestVersion + ".\n";
  std::string common = "PackageIdentifier: " + id + "\nPackageVersion: " + version + "\n";
  std::string tail = std::string("ManifestVersion: ") + kManifestVersion + "\n";
  std::string codes, successes;
  for (const auto& entry : kReturnCodes) {
    codes += "  - InstallerReturnCode: " + std::to_string(entry.code) + "\n    ReturnResponse: " + entry.response +
             "\n    ReturnResponseUrl: " + description.maker[kMakerHelpPage].text + "  # " + entry.words + "\n";
  }
  for (int code : kSuccessCodes) successes += "  - " + std::to_string(code) + "\n";
  const std::pair<std::string, std::string> manifests[] = {
      {id + ".yaml", common + "DefaultLocale: en-US\nManifestType: version\n"},
      {id + ".locale.en-US.yaml",
       common + "PackageLocale: en-US\nPublisher: " + maker + "\nPublisherUrl: " + site + "\nPackageName: " + product +
           "\nPackageUrl: " + site + "\nLicense: Proprietary\nShortDescription: " + description.setupDescription.text +
           "\nManifestType: defaultLocale\n"},
      {id + ".installer.yaml",
       common +
           "InstallerType: exe\nScope: machine\nInstallModes:\n  - interactive\n  - silent\n  - silentWithProgress\n"
           "InstallerSwitches:\n  Silent: /S\n  SilentWithProgress: /S\n  InstallLocation: /D=<INSTALLPATH>\n"
           "  Log: /LOG=<LOGPATH>\nInstallerSuccessCodes:\n" +
           successes + "ExpectedReturnCodes:\n" + codes +
           "UpgradeBehavior: install\nElevationRequirement: elevatesSelf\nAppsAndFeaturesEntries:\n  - DisplayName: " +
           product + "\n    Publisher: " + maker + "\n    DisplayVersion: " + version + "\n    ProductCode: " + product +
           "\n    InstallerType: exe\nInstallers:\n  - Architecture: " + architecture +
           "\n    InstallerUrl: " + description.downloadUrl.text + "\n    InstallerSha256: " + sha256 +
           "\nManifestType: installer\n"},
  };
  for (const auto& manifest : manifests) {
    std::string path = ResolvedPath(FolderOf(setup), manifest.first);
    if (!WriteText(path, head + manifest.second + tail)) {
      refusals->Add({path, 0, ""}, "cannot be written");
      return false;
    }
  }
  return true;
}
