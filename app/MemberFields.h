// The eleven fields of a member and their four captions, laid out once for the member edit form
// and the own-data form. Each form makes its controls its own way (bound to the members list, or
// to the own-data query) and hands the makers in; the layout places them.
#pragma once

#include <functional>
#include <vector>

#include "app/FormPattern.h"

struct TMemberFieldMakers {
  std::function<TDataEdit*(const String& field, const String& caption, const TRect& bounds)> Edit;
  std::function<TDataValueCombo*(const String& field, const std::vector<TValueChoice>& choices,
                                 const TRect& bounds)>
      Combo;
  std::function<TDataDatePicker*(const String& field, const TRect& bounds)> Date;
  std::function<TCaptionLabel*(const String& text, const TRect& bounds)> Caption;
};

// The controls, by the names the forms give them.
struct TMemberFields {
  TDataEdit* DBAdvEdit1 = nullptr;  // name
  TDataEdit* DBAdvEdit2 = nullptr;  // surname
  TDataEdit* DBAdvEdit3 = nullptr;  // username
  TDataEdit* DBAdvEdit4 = nullptr;  // password, shown as "*"
  TDataEdit* DBAdvEdit5 = nullptr;  // email
  TDataEdit* DBAdvEdit6 = nullptr;  // phone
  TDataEdit* DBAdvEdit7 = nullptr;  // address
  TDataValueCombo* AdvDBComboBox1 = nullptr;  // active: "Active", "Not Active", "Close"
  TDataDatePicker* AdvDBDateTimePicker1 = nullptr;  // member_from
  TDataDatePicker* AdvDBDateTimePicker2 = nullptr;  // date_of_birth
  TDataValueCombo* AdvDBComboBox2 = nullptr;  // user_type, never enabled
  TCaptionLabel* Label1 = nullptr;
  TCaptionLabel* Label2 = nullptr;
  TCaptionLabel* Label3 = nullptr;
  TCaptionLabel* Label4 = nullptr;

  // Makes and places every control; the type cannot be changed on either form.
  void PlaceMemberFields(const TMemberFieldMakers& make);
};

// The size of the forms' client area, the confirm and cancel buttons included.
inline constexpr int MemberFormWidth = 560;
inline constexpr int MemberFormHeight = 400;
