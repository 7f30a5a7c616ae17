#pragma once
// Every text the conversion shows, as the exact bytes the user sees. English texts are
// ASCII; the Japanese warnings are stored in code page 932 (Shift-JIS).

namespace messages {

// Captions.
inline constexpr char kWarningCaption[] = "Warning";
inline constexpr char kNoCaption[] = "";

// Bitmap probe.
inline constexpr char kCannotFindBitmap[] = "Error : Cannot find bmp-file";
inline constexpr char kCannotOpenBitmap[] = "Error : Cannot open bmp-file";
inline constexpr char kNotBitmap[] = "Error : this file is not bmp-file";
inline constexpr char kNot24Bit[] = "This software support 24bpp color.\nThis file is not 24bpp.";
inline constexpr char kCompressed[] =
    "This bmp-file is compressed.\nThis software only support non-compress bmp-file.";
inline constexpr char kTooSmall[] = "This software only support Width>=480 and Height>=480 bitmap.";
inline constexpr char kNotTileMultiple[] = "Error : Width and Height must be divide by 160.";

// Main dialog: the accepted bitmap cannot be opened again.
inline constexpr char kCannotOpenBitmapFile[] = "Error : Cannot open bitmap file.";

// Settings.
inline constexpr char kIllegalMapName[] = "ERROR : Illegal Map Name.";
inline constexpr char kIllegalFolderName[] = "ERROR : Illegal Folder Name.";
inline constexpr char kIllegalFolderCharacters[] =
    "ERROR : Illegal Folder Name. you can use a..z and 0..9.";
inline constexpr char kIllegalLatitude[] = "ERROR : Illegal Latitude.";
inline constexpr char kIllegalLongitude[] = "ERROR : Illegal Longitude.";
inline constexpr char kIllegalDistance[] = "ERROR : Illegal distance(>0).";

// CONVERT finished.
inline constexpr char kSuccess[] = "SUCCESS : File convert finish.";

// "エラー：出力ファイルの作成に失敗しました" (creating the output file failed).
inline constexpr char kCannotCreateOutput[] =
    "\x83\x47\x83\x89\x81\x5b\x81\x46\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc"
    "\x8d\xec\x90\xac\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// "エラー：同名ファイルがあり、作成できません" (a file of that name exists, cannot create).
inline constexpr char kIndexExists[] =
    "\x83\x47\x83\x89\x81\x5b\x81\x46\x93\xaf\x96\xbc\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa"
    "\x82\xa0\x82\xe8\x81\x41\x8d\xec\x90\xac\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
// "エラー：出力ファイルの書き込みに失敗しました" (writing the output file failed: the
// disk is full or the device failed). The half-written file has been removed.
inline constexpr char kCannotWriteOutput[] =
    "\x83\x47\x83\x89\x81\x5b\x81\x46\x8f\x6f\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc"
    "\x8f\x91\x82\xab\x8d\x9e\x82\xdd\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// CONVERT: the accepted bitmap no longer holds the pixels its header promises, or can no
// longer be opened or read (changed or removed after it was chosen).
inline constexpr char kBitmapTruncated[] =
    "Error : bmp-file is shorter than its header says.\nNo file was written.";
inline constexpr char kCannotReadBitmap[] =
    "Error : Cannot read bmp-file.\nIt was changed or removed after it was chosen.";

// CONVERT: the memory the conversion needs cannot be had; nothing was written.
inline constexpr char kNotEnoughMemory[] = "Error : Not enough memory.";

}  // namespace messages
