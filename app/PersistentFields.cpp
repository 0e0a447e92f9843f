#include "app/PersistentFields.h"

#include "platform/db/FieldsBinary.h"
#include "platform/db/FieldsDateTime.h"
#include "platform/db/FieldsNumeric.h"
#include "platform/db/FieldsText.h"

void DeclareFields(TDataSet* data, std::initializer_list<TFieldDecl> fields) {
  for (const TFieldDecl& decl : fields) {
    TField* field = nullptr;
    switch (decl.Kind) {
      case TFieldDecl::Largeint: field = new TLargeintField(data); break;
      case TFieldDecl::Integer: field = new TIntegerField(data); break;
      case TFieldDecl::Smallint: field = new TSmallintField(data); break;
      case TFieldDecl::Amount: {
        auto* amount = new TFloatField(data);
        amount->SetDisplayFormat(AmountFormat);
        field = amount;
        break;
      }
      case TFieldDecl::WideString: {
        auto* text = new TWideStringField(data);
        if (decl.Size > 0) text->SetSize(decl.Size);
        text->SetFixedChar(decl.FixedChar);
        field = text;
        break;
      }
      case TFieldDecl::Memo: {
        auto* memo = new TMemoField(data);
        memo->SetBlobType(ftMemo);
        field = memo;
        break;
      }
      case TFieldDecl::DateTime: field = new TDateTimeField(data); break;
    }
    field->SetFieldName(decl.Name);
    field->SetOrigin(decl.Origin);
    if (decl.AutoInc) field->SetAutoGenerateValue(arAutoInc);
    field->SetDataSet(data);
  }
}
