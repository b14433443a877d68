// The four-character codes of the atoms the movie runtime and ruv-import read
// (the codes shared with the plug-in are in quicktime/movie_constants.h).
#pragma once

#include "quicktime/mac_types.h"
#include "quicktime/movie_constants.h"

namespace qt_format::atom_types {

// Top level.
constexpr OSType kAtomFtyp = qt_fourcc("ftyp");
constexpr OSType kAtomWide = qt_fourcc("wide");
constexpr OSType kAtomFree = qt_fourcc("free");
constexpr OSType kAtomSkip = qt_fourcc("skip");
constexpr OSType kAtomMdat = qt_fourcc("mdat");

// Movie and track structure.
constexpr OSType kAtomMvhd = qt_fourcc("mvhd");
constexpr OSType kAtomTrak = qt_fourcc("trak");
constexpr OSType kAtomTkhd = qt_fourcc("tkhd");
constexpr OSType kAtomEdts = qt_fourcc("edts");
constexpr OSType kAtomElst = qt_fourcc("elst");
constexpr OSType kAtomTref = qt_fourcc("tref");
constexpr OSType kAtomMdia = qt_fourcc("mdia");
constexpr OSType kAtomMdhd = qt_fourcc("mdhd");
constexpr OSType kAtomHdlr = qt_fourcc("hdlr");
constexpr OSType kAtomMinf = qt_fourcc("minf");
constexpr OSType kAtomVmhd = qt_fourcc("vmhd");
constexpr OSType kAtomSmhd = qt_fourcc("smhd");
constexpr OSType kAtomGmhd = qt_fourcc("gmhd");
constexpr OSType kAtomDinf = qt_fourcc("dinf");
constexpr OSType kAtomDref = qt_fourcc("dref");
constexpr OSType kAtomUdta = qt_fourcc("udta");

// Sample table.
constexpr OSType kAtomStbl = qt_fourcc("stbl");
constexpr OSType kAtomStsd = qt_fourcc("stsd");
constexpr OSType kAtomStts = qt_fourcc("stts");
constexpr OSType kAtomCtts = qt_fourcc("ctts");
constexpr OSType kAtomCslg = qt_fourcc("cslg");
constexpr OSType kAtomStss = qt_fourcc("stss");
constexpr OSType kAtomStps = qt_fourcc("stps");
constexpr OSType kAtomSdtp = qt_fourcc("sdtp");
constexpr OSType kAtomStsc = qt_fourcc("stsc");
constexpr OSType kAtomStsz = qt_fourcc("stsz");
constexpr OSType kAtomStz2 = qt_fourcc("stz2");
constexpr OSType kAtomStco = qt_fourcc("stco");
constexpr OSType kAtomCo64 = qt_fourcc("co64");

// Movie fragments.
constexpr OSType kAtomMvex = qt_fourcc("mvex");
constexpr OSType kAtomMehd = qt_fourcc("mehd");
constexpr OSType kAtomTrex = qt_fourcc("trex");
constexpr OSType kAtomMoof = qt_fourcc("moof");
constexpr OSType kAtomTraf = qt_fourcc("traf");
constexpr OSType kAtomTfhd = qt_fourcc("tfhd");
constexpr OSType kAtomTfdt = qt_fourcc("tfdt");
constexpr OSType kAtomTrun = qt_fourcc("trun");

}  // namespace qt_format::atom_types
