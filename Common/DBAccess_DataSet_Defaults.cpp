// Default values of a new record of the dataset component. A default that is a plain literal
// (a number, a quoted text, true or false, possibly in parentheses) is stored as it stands;
// anything else is an expression only the server can evaluate, and all of those are selected
// together in one statement.
#include <memory>

#include "Common/DBAccess.h"
#include "Common/DBAccess_Service.h"
#include "Common/DBAccess_Updater.h"
#include "platform/db/Fields.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// Reads the expression with the dialect's lexer. True when it is a literal, with its text in
// literal; isNumber tells a number apart from a quoted text. A text with a doubled quote reads
// as two texts, and so goes to the server like any expression.
bool ReadLiteral(const String& expression, TParserClass parserClass, String& literal,
                 bool& isNumber) {
  std::unique_ptr<TParser> parser = parserClass(UTF8Encode(expression));
  parser->SkipComments = true;
  parser->NumberSeparator = '.';
  int depth = 0;
  int tokens = 0;
  bool closing = false;
  literal.clear();
  isNumber = false;
  for (;;) {
    AnsiString text;
    const TLexemeCode code = parser->GetNextToken(text);
    if (code == lcEndOfText) break;
    if (code != lcString && text == "(") {
      if (tokens > 0) return false;
      ++depth;
      continue;
    }
    if (code != lcString && text == ")") {
      if (--depth < 0) return false;
      closing = true;
      continue;
    }
    // A second token, or one after a closing parenthesis: an expression.
    if (++tokens > 1 || closing) return false;
    const String token = UTF8ToString(text);
    if (code == lcNumber) {
      isNumber = true;
      literal = token;
    } else if (code == lcString) {
      literal = token;
    } else if (SameText(token, u"true") || SameText(token, u"false")) {
      literal = token;
    } else {
      return false;
    }
  }
  return depth == 0;
}

bool IsNumericField(TField* field) { return dynamic_cast<TNumericField*>(field) != nullptr; }

}  // namespace

void TCustomDADataSet::ApplyDefaultValues() {
  SetFillingDefaults(true);
  try {
    const TParserClass parserClass = FICommand ? FICommand->GetParserClass() : GetParserClass();
    std::vector<TField*> collected;
    std::vector<String> expressions;
    for (TField* field : *Fields()) {
      const String& expression = field->DefaultExpression();
      if (expression.empty()) continue;
      String literal;
      bool isNumber = false;
      if (ReadLiteral(expression, parserClass, literal, isNumber)) {
        const char16_t separator = FormatSettings().DecimalSeparator;
        if ((isNumber || IsNumericField(field)) && separator != u'.') {
          const size_t dot = literal.find(u'.');
          if (dot != String::npos) literal[dot] = separator;
        }
        if (dynamic_cast<TLargeintField*>(field) != nullptr)
          field->SetAsString(literal);
        else
          field->SetValue(Variant(literal));
        continue;
      }
      Variant value;
      if (DAUpdater()->EvaluateDefaultExpression(expression, value)) {
        field->SetValue(value);
        continue;
      }
      collected.push_back(field);
      expressions.push_back(expression);
    }
    if (!collected.empty()) SelectDefaultValues(collected, expressions);
  } catch (...) {
    SetFillingDefaults(false);
    throw;
  }
  SetFillingDefaults(false);
}

void TCustomDADataSet::SelectDefaultValues(const std::vector<TField*>& fields,
                                           const std::vector<String>& expressions) {
  String list;
  for (const String& expression : expressions) {
    if (!list.empty()) list += u", ";
    list += expression;
  }
  auto* service = static_cast<TDADataSetService*>(DataSetService());
  const String sql = service->Generator()->BuildSelectValues(list);
  AcquireConnection(true);
  try {
    TCustomDADataSet* select = DAUpdater()->UpdateComponent(stCustom);
    // The expressions are the server's text: a colon in them names no parameter.
    select->SetParamCheck(false);
    select->SetSQLText(sql);
    TMonitoredExecution report(this, select, u"Select default values");
    select->Open();
    report.Done();
    try {
      for (size_t i = 0; i < fields.size(); ++i)
        fields[i]->SetValue(select->Fields()->Fields(static_cast<int>(i))->Value());
    } catch (...) {
      select->Close();
      throw;
    }
    select->Close();
  } catch (...) {
    ReleaseConnection();
    throw;
  }
  ReleaseConnection();
}
