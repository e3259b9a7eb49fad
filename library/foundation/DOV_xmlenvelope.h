#pragma once
// The envelope of the library's XML documents: the lines every writer puts around an object's
// content, and the search for the object a reader was asked for. Several documents may follow
// each other in one file or stream; an object is found by its root tag, its dimension (matrix
// classes) and its identification text.
//
//   <?xml version="1.0"?>                          (only when a header is asked for)
//                                                  (an empty line)
//   <!-- TMatrix / RIZ Ovavavude Rarev -->         (the class)
//   <matrix sig="ZUDUZidad" vers="6.0" dim="2" id="M1">
//   ... content ...
//   </matrix>
//
// Nothing is escaped: an identification must not hold a double quote.

#include "Classes.h"
#include "DOV_sdlbase.h"

class TTextFile;

inline constexpr const char* XMLDeclarationLine = "<?xml version=\"1.0\"?>";
inline constexpr const char* XMLSignature = "ZUDUZidad";

// "<!-- ClassName / RIZ Ovavavude Rarev -->"
String XMLCommentLine(const String& ClassName);
// '<RootTag sig="ZUDUZidad" vers="Version" dim="Dim" id="DataID">'; Dim 0 leaves dim out.
String XMLRootLine(const String& RootTag, const String& Version, Integer Dim, const String& DataID);

// Whether Line is the root line asked for: it holds "<" + RootTag and the signature (ASCII case
// ignored), its dim value equals Dim (when Dim > 0) and, when DataID is not empty, its
// identification equals DataID (ASCII case ignored). FoundID receives the identification in
// lower case.
bool IsXMLRootLine(const String& Line, const String& RootTag, Integer Dim, const String& DataID,
                   String& FoundID);

// Read line after line (streams and texts: up to LF) until the root line asked for; false at
// the end of the input. The position is left behind that line.
bool FindXMLRootInStream(TStream& Stream, const String& RootTag, Integer Dim, const String& DataID,
                         String& FoundID);
bool FindXMLRootInTextFile(TTextFile& TextFile, const String& RootTag, Integer Dim,
                           const String& DataID, String& FoundID);
bool FindXMLRootInString(const String& Instring, Integer& CurrPos, const String& RootTag,
                         Integer Dim, const String& DataID, String& FoundID);
