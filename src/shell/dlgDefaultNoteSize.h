#pragma once
// The default-size dialog: a caption-less sample window with a sizing frame; its outer size,
// when confirmed, becomes the size of new notes. Width and height stay within 100 to 540.
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/Panel.h"
#include "ui/StdCtrls.h"

class TDefaultNoteSizeForm : public TForm {
 public:
  explicit TDefaultNoteSizeForm(TComponent* owner);

  static constexpr int MinSize = 100, MaxSize = 540;

  TPanel* _note_size;
  TLabel* _UsageLabel;
  TButton* _Cancel;
  TButton* _OK;
  TPaintBox* PaintBox1;
  TPaintBox* PaintBox2;
  TPaintBox* PaintBox3;

  // A size given from outside the limits is brought within them at once.
  void SetBounds(int left, int top, int width, int height) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void FormCreate(TComponent* sender);
  // The usage label as high as its text wrapped across the window, the buttons under it.
  void LayOutUsage();
  // A frame dragged below the least size stops there.
  void FormCanResize(RECT& requested, WPARAM edge);
  // Brings the size within the limits; while the user drags the frame that waits for the drag
  // to end, so the window snaps back then.
  void FormResize(TComponent* sender);
  bool sizing_ = false;
};
