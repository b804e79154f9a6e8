#pragma once
// The maker's values a setup carries, in the order of its maker block: the packer writes them from
// the maker's description, the setup reads them as it starts. Nothing of the maker is compiled in.
#define SETUP_MAKER_VALUES(X)                                                                           \
  X(MakerName, "maker.name")        /* the maker, as the list of installed programs names it */        \
  X(MakerFolder, "maker.folder")    /* the folder made below an editor's plug-in folder */             \
  X(ScanWord, "maker.scan_word")    /* the word the registry scan looks for, lower case */             \
  X(FolderMark, "maker.folder_mark")/* the part of it that marks an earlier installation's folder */   \
  X(Website, "maker.website")       /* the maker's site: the dialog's link */                         \
  X(HelpPage, "maker.help")         /* the page a failure message opens */                             \
  X(ProductName, "product.name")    /* the entry in the list of installed programs */                 \
  X(Version, "product.version")     /* dotted, up to four numbers */

enum MakerValue {
#define SETUP_MAKER_VALUE_ID(name, key) kMaker##name,
  SETUP_MAKER_VALUES(SETUP_MAKER_VALUE_ID)
#undef SETUP_MAKER_VALUE_ID
  kMakerValueCount
};
