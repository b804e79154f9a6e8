; The peer installer of the benchmarks' 28 plug-in files: the same files into the folder of /D=,
; with the compressor the command line names. FILES is a script of File lines.
Unicode true
Target ${TARGET}
SetCompressor ${COMPRESSOR}
Name "Velmoran Plug-ins"
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
  !include "${FILES}"
SectionEnd
