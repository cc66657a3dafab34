#include "app/formaty_procesu.h"

#include "platform/time/formats.h"

void UstawFormatyProcesu() {
  formats::FormatSettings& f = formats::ProcessFormats();
  f.shortDateFormat = "dd/mm/yyyy";
  f.longDateFormat = "dd/mm/yyyy";
  f.shortTimeFormat = "hh:mm:ss";
  f.longTimeFormat = "hh:mm:ss";
  f.dateSeparator = '.';
  f.timeSeparator = ':';
  f.decimalSeparator = ',';
  f.thousandSeparator = '.';
  f.currencyDecimals = 2;
}
