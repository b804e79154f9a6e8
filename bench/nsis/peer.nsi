; The installer a plug-in maker would otherwise ship: a directory page and an install page that
; put the same payload file into the chosen folder. Built only for the benchmarks.
Unicode true
Target ${TARGET}
Name "Velmoran Plug-in"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Velmoran"
RequestExecutionLevel admin
; Themed and aware of the display scale, as the setup it is measured against.
XPStyle on
ManifestDPIAware true
Page directory
Page instfiles
Section
  SetOutPath "$INSTDIR"
  File "/oname=MienFold.8bf" "${PAYLOAD}"
SectionEnd
