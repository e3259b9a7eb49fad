#include "DOV_sdlbase.h"

#include <vector>

#include "DOV_stringl.h"

std::atomic<Double> ProcStat{0.0};
FeedBackProcType MathFeedBackProc = nullptr;
std::atomic<bool> AbortMathProc{false};

namespace {
// Filled during static initialisation, before main can call InitLibrary.
std::vector<TLibraryStartUp>& LibraryStartUps() {
  static std::vector<TLibraryStartUp> startUps;
  return startUps;
}
}  // namespace

bool AddLibraryStartUp(TLibraryStartUp StartUp) {
  LibraryStartUps().push_back(StartUp);
  return true;
}

void InitLibrary() {
  ProcStat = 0.0;
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
  InitScramble(8053);
  for (TLibraryStartUp startUp : LibraryStartUps()) startUp();
}

String ComponentErrorMessage(const TComponent* Component, const String& Reason) {
  const String name = Component != nullptr ? Component->Name() : String();
  return "Component \"" + name + "\": " + Reason;
}

TCSVDelimiters ResolveCSVDelimiter(char Ch) {
  for (int d = csvSemicolon; d <= csvTab; ++d)
    if (CSVDelimiters[d] == Ch) return static_cast<TCSVDelimiters>(d);
  return csvUnknown;
}

const char* const MonthShort[5][13] = {
    {"", "M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"},
    {"", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
    {"", "Jän", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
    {"", "jan", "fév", "mar", "avr", "mai", "juin", "jul", "aoû", "sep", "oct", "nov", "déc"},
    {"", "Ene", "Feb", "Mar", "Abr", "May", "Jun", "Jul", "Ago", "Sep", "Oct", "Nov", "Dic"},
};

const char* const MonthLong[5][13] = {
    {"", "M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"},
    {"", "January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"},
    {"", "Jänner", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September",
     "Oktober", "November", "Dezember"},
    {"", "janvier", "février ", "mars", "avril", "mai", "juin", "juillet", "août", "septembre",
     "octobre", "novembre", "décembre"},
    {"", "enero", "febrero", "marzo", "abril", "mai", "junio", "julio", "agosto", "septiembre",
     "octubre", "noviembre", "diciembre"},
};

const char* const WeekDayShort[5][8] = {
    {"", "D01", "D02", "D03", "D04", "D05", "D06", "D07"},
    {"", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"},
    {"", "Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"},
    {"", "lun", "mar", "mer", "jeu", "ven", "sam", "dim"},
    {"", "lun", "mar", "mie", "jue", "vie", "sab", "dom"},
};

const char* const WeekDayLong[5][8] = {
    {"", "D01", "D02", "D03", "D04", "D05", "D06", "D07"},
    {"", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"},
    {"", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"},
    {"", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"},
    {"", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado", "domingo"},
};

const char* const NumWords[5][13] = {
    {"N00", "N01", "N02", "N03", "N04", "N05", "N06", "N07", "N08", "N09", "N10", "N11", "N12"},
    {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
     "eleven", "twelve"},
    {"null", "eins", "zwei", "drei", "vier", "fünf", "sechs", "sieben", "acht", "neun", "zehn",
     "elf", "zwölf"},
    {"zéro", "celui", "deux", "trois", "quatre", "cinq", "six", "sept", "huit", "neuf", "dix",
     "onze", "douze"},
    {"cero", "uno", "dos", "tres", "cuatro", "cinco", "seis", "siete", "ocho", "nueve", "diez",
     "once", "doce"},
};

const char* const LanguageID[5][5] = {
    {"???", "???", "???", "???", "???"},
    {"???", "English", "German", "French", "Spanish"},
    {"???", "englisch", "deutsch", "französisch", "spanisch"},
    {"???", "anglais", "allemand", "français", "espagnol"},
    {"???", "inglés", "alemán", "francés", "español"},
};

const char* const ISO639_2Char[5] = {"??", "en", "de", "fr", "es"};
const char* const ISO639_3Char[5] = {"???", "eng", "ger", "fre", "spa"};

const char* const HTMLLat1Entities[96] = {
    "&nbsp;",   "&iexcl;",  "&cent;",   "&pound;",  "&curren;", "&yen;",    "&brvbar;", "&sect;",
    "&uml;",    "&copy;",   "&ordf;",   "&laquo;",  "&not;",    "&shy;",    "&reg;",    "&macr;",
    "&deg;",    "&plusmn;", "&sup2;",   "&sup3;",   "&acute;",  "&micro;",  "&para;",   "&middot;",
    "&cedil;",  "&sup1;",   "&ordm;",   "&raquo;",  "&frac14;", "&frac12;", "&frac34;", "&iquest;",
    "&Agrave;", "&Aacute;", "&Acirc;",  "&Atilde;", "&Auml;",   "&Aring;",  "&AElig;",  "&Ccedil;",
    "&Egrave;", "&Eacute;", "&Ecirc;",  "&Euml;",   "&Igrave;", "&Iacute;", "&Icirc;",  "&Iuml;",
    "&ETH;",    "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;",  "&Otilde;", "&Ouml;",   "&times;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;",  "&Uuml;",   "&Yacute;", "&THORN;",  "&szlig;",
    "&agrave;", "&aacute;", "&acirc;",  "&atilde;", "&auml;",   "&aring;",  "&aelig;",  "&ccedil;",
    "&egrave;", "&eacute;", "&ecirc;",  "&euml;",   "&igrave;", "&iacute;", "&icirc;",  "&iuml;",
    "&eth;",    "&ntilde;", "&ograve;", "&oacute;", "&ocirc;",  "&otilde;", "&ouml;",   "&divide;",
    "&oslash;", "&ugrave;", "&uacute;", "&ucirc;",  "&uuml;",   "&yacute;", "&thorn;",  "&yuml;"};
