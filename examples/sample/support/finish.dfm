object Finish: TForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 313
  ClientWidth = 489
  Color = clWhite
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object Heading: TLabel
    Left = 24
    Top = 20
    Width = 441
    Height = 19
    AutoSize = False
    Caption = '$TITLE$ is installed'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Body: TLabel
    Left = 24
    Top = 60
    Width = 441
    Height = 40
    AutoSize = False
    Caption = 'Setup has installed $TITLE$ in $TARGETDIR$. Click Finish to close the wizard.'
    WordWrap = True
  end
  object Bevel1: TBevel
    Left = 0
    Top = 264
    Width = 489
    Height = 2
    Shape = bsTopLine
  end
  object FinishButton: TButton
    Left = 392
    Top = 276
    Width = 80
    Height = 25
    Caption = '&Finish'
    Tag = 5
    TabOrder = 0
    Default = True
  end
end
