#include "ui/program.h"

namespace tapisto {

Program::Program(const WindowPorts& ports) : ports_(ports) {}

Program::~Program() = default;

void Program::Start() {
  ports_.application.SetTitle(std::string(kApplicationTitle));
  form1_ = std::make_unique<TForm1>(ports_, log_);
  form2_ = std::make_unique<TForm2>(log_);
  if (form1_) AttachChangeHandlers();
}

// Attached last, so nothing the start-up put into the controls applied anything.
void Program::AttachChangeHandlers() {
  TForm1& form = *form1_;
  form.Edit1.AttachChange(form.EventHandler(&TForm1::ButtonOK));
  form.SpinEdit1.AttachChange(form.EventHandler(&TForm1::ChangeSpinEdit));
  form.SpinEdit2.AttachChange(form.EventHandler(&TForm1::ChangeSpinEdit2));
  form.ComboBox1.AttachChange(form.EventHandler(&TForm1::ChangeComboBox));
}

void Program::Finish() {
  if (form1_) ReleaseTexts(form1_->State());
}

}  // namespace tapisto
